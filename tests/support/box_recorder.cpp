#include "support/box_recorder.h"

#include <gtest/gtest.h>

namespace kiln::test {

BoxRecorder::BoxRecorder()
    : m_previous(SetMessageBoxHandler([this](const MessageBoxCall& call) { return Record(call); })) {}

BoxRecorder::~BoxRecorder() { SetMessageBoxHandler(std::move(m_previous)); }

int BoxRecorder::Record(const MessageBoxCall& call) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_calls.push_back(RecordedBox{call.text, call.caption, call.style});
    if (m_answers.empty()) return m_defaultAnswer;
    int answer = m_answers.front();
    m_answers.pop_front();
    return answer;
}

void BoxRecorder::Answer(int answer) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_answers.push_back(answer);
}

void BoxRecorder::SetDefaultAnswer(int answer) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_defaultAnswer = answer;
}

std::vector<RecordedBox> BoxRecorder::calls() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_calls;
}

size_t BoxRecorder::Count() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_calls.size();
}

RecordedBox BoxRecorder::Last() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_calls.empty()) {
        ADD_FAILURE() << "no message box was shown";
        return {};
    }
    return m_calls.back();
}

void BoxRecorder::Clear() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_calls.clear();
}

}  // namespace kiln::test
