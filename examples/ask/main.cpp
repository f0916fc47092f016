// kiln-ask: asks the user through the library's dialogs and prints the answer.
//
//   kiln-ask text PROMPT [DEFAULT]     a line of text
//   kiln-ask number PROMPT [MIN MAX]   a number, within MIN..MAX (integers) when given
//   kiln-ask choose PROMPT ITEM...     one of the items
//
// The answer goes to standard output with a newline. Exit status: 0 with an answer, 1 when the
// dialog was cancelled (at once when no terminal can ask, as in a pipeline), 2 for a wrong command
// line. Prompts and items are taken in the terminal's character set and the answer is given back in
// it; the dialogs themselves work in code page 932.
#include <iconv.h>

#include <cerrno>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <kiln/kiln.h>

namespace {

constexpr int kAnswered = 0;
constexpr int kCancelled = 1;
constexpr int kWrongCommandLine = 2;

const char kUsage[] =
    "usage: kiln-ask text PROMPT [DEFAULT]\n"
    "       kiln-ask number PROMPT [MIN MAX]\n"
    "       kiln-ask choose PROMPT ITEM...\n";

bool ToCp932(const char* text, std::string& out) { return kiln::FromUserCharset(text, out); }

// The answer in the terminal's charset.
void PrintAnswer(const char* cp932) { std::printf("%s\n", kiln::ToUserCharset(cp932).c_str()); }

bool ParseInt(const char* text, int& value) {
    char* end = nullptr;
    errno = 0;
    long n = std::strtol(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || n < INT32_MIN || n > INT32_MAX) return false;
    value = static_cast<int>(n);
    return true;
}

int WrongCommandLine(const char* why = nullptr) {
    if (why != nullptr) std::fprintf(stderr, "kiln-ask: %s\n", why);
    std::fputs(kUsage, stderr);
    return kWrongCommandLine;
}

int AskText(const std::string& prompt, const char* defaultText) {
    std::string initial;
    if (defaultText != nullptr && !ToCp932(defaultText, initial))
        return WrongCommandLine("DEFAULT is not text of this terminal");
    CStringDialog dialog;
    dialog.SetTitle(prompt.c_str());
    dialog.SetDefStr(initial.c_str());
    if (dialog.DoModal() != IDOK) return kCancelled;
    PrintAnswer(dialog.GetString());
    return kAnswered;
}

int AskNumber(const std::string& prompt, int min, int max) {
    CValueDialog dialog;
    dialog.SetTitle(prompt.c_str());
    dialog.SetMinMax(min, max);
    if (min > 0 || max < 0) dialog.SetDefValue(min);  // start inside the range
    if (dialog.DoModal() != IDOK) return kCancelled;
    char text[64];
    std::snprintf(text, sizeof text, "%.15g", dialog.GetValueDouble());
    PrintAnswer(text);
    return kAnswered;
}

// The job list has its own fixed label, so the prompt becomes the dialog's caption.
class ChoiceDialog : public CJobDlg {
public:
    explicit ChoiceDialog(const std::string& prompt) : m_prompt(prompt) {}

protected:
    BOOL OnInitDialog() override {
        BOOL result = CJobDlg::OnInitDialog();
        SetWindowText(m_prompt.c_str());
        return result;
    }

private:
    std::string m_prompt;
};

int AskChoice(const std::string& prompt, const std::vector<std::string>& items) {
    ChoiceDialog dialog(prompt);
    for (size_t i = 0; i < items.size(); ++i) dialog.AddJob(items[i].c_str(), static_cast<DWORD>(i));
    // OK with no item selected is no answer either.
    if (dialog.DoModal() != IDOK || dialog.GetJobValue() >= items.size()) return kCancelled;
    PrintAnswer(dialog.GetJobString());
    return kAnswered;
}

}  // namespace

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    if (argc < 3) return WrongCommandLine();
    const std::string command = argv[1];
    std::string prompt;
    if (!ToCp932(argv[2], prompt)) return WrongCommandLine("PROMPT is not text of this terminal");

    if (command == "text") {
        if (argc > 4) return WrongCommandLine();
        return AskText(prompt, argc == 4 ? argv[3] : nullptr);
    }
    if (command == "number") {
        int min = 0, max = 0;
        if (argc == 5) {
            if (!ParseInt(argv[3], min) || !ParseInt(argv[4], max) || min > max)
                return WrongCommandLine("MIN and MAX are integers with MIN <= MAX");
        } else if (argc != 3) {
            return WrongCommandLine();
        }
        return AskNumber(prompt, min, max);
    }
    if (command == "choose") {
        if (argc < 4) return WrongCommandLine();
        std::vector<std::string> items;
        for (int i = 3; i < argc; ++i) {
            items.emplace_back();
            if (!ToCp932(argv[i], items.back())) return WrongCommandLine("ITEM is not text of this terminal");
        }
        return AskChoice(prompt, items);
    }
    return WrongCommandLine();
}
