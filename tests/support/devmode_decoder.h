// A reader of the driver's 1816-byte job settings record written from its
// published offsets table alone (not from the driver's structure), so that
// tests can check the bytes the driver writes.
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace kadu_test {

// Every named field of the record with its value: integers sign- or
// zero-extended by their width, strings (UTF-16, up to the first zero) in
// `texts`, the four data stamps as "stamp0".."stamp3".
struct DecodedDevmode {
  std::map<std::string, int64_t> values;
  std::map<std::string, std::u16string> texts;
  int64_t operator[](const std::string& name) const;  // fails the test for an unknown name
  std::u16string Text(const std::string& name) const;
};

// Decodes a record of at least 1816 bytes; the last byte of each string
// field must be zero (else the test fails).
DecodedDevmode DecodeDevmode(const std::vector<uint8_t>& bytes);
DecodedDevmode DecodeDevmode(const void* record, size_t size);

// The names of the integer fields the decoder knows, in offset order.
std::vector<std::string> DevmodeDecoderFields();

// Writes a little-endian value at an offset (for building incoming records).
void PutDevmodeWord(std::vector<uint8_t>* bytes, size_t offset, uint16_t value);
void PutDevmodeDword(std::vector<uint8_t>* bytes, size_t offset, uint32_t value);
void PutDevmodeText(std::vector<uint8_t>* bytes, size_t offset, const std::u16string& text);
// Writes a named integer field with its width.
void PutDevmodeField(std::vector<uint8_t>* bytes, const std::string& name, int64_t value);
// The offset of a named field (integer or text).
size_t DevmodeFieldOffset(const std::string& name);

}  // namespace kadu_test
