// Archive records as byte strings: what an object's Serialize stores, and loading it from bytes.
#pragma once

#include <string>

class CObject;

namespace kiln::test {

// The bytes that object.Serialize writes into a storing archive over a memory file.
std::string StoreBytes(CObject& object);
// Runs object.Serialize on a loading archive over a memory file holding bytes; exceptions pass.
void LoadBytes(CObject& object, const std::string& bytes);
// Little-endian 32-bit value as 4 bytes.
std::string Le32(unsigned value);

}  // namespace kiln::test
