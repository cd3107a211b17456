// The value syntax of the model data files: number lists, string elements,
// yes/no switches, capability masks and the finisher type.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace kadu {

// Longest value the driver reads from a data file, in characters.
inline constexpr size_t kMaxValueChars = 1024;

// Reads the elements of a list one after the other. A list ends at the end of
// the text or at ";" outside quotes; elements are separated by ",".
struct ListCursor {
  std::u16string_view text;
  size_t pos = 0;

  explicit ListCursor(std::u16string_view t) : text(t) {}
  bool AtEnd() const;
  // A number: decimal, or hexadecimal after "0x"; characters that are not
  // digits are skipped; in a signed element a "-" anywhere makes it negative.
  // An empty element gives 0.
  int32_t Number(bool isSigned);
  // A string element: between double quotes, "\xHH" a character code; an
  // unquoted element runs to the next quote or ",". Cut to maxChars.
  std::u16string String(size_t maxChars);
};

// Fills out[0..max) from a number list; returns the count (an empty list
// gives one element, 0).
size_t ParseNumberList(std::u16string_view text, bool isSigned, int32_t* out, size_t max);
// The first number of a text ("a number up to ,").
int32_t ParseFirstNumber(std::u16string_view text, bool isSigned);

// Decimal text of a number ("%d").
std::u16string DecimalText(long value);

enum class YesNo { NotGiven, Yes, No };
// Skips to the first "Y", "y", "N", "n" or ";": "Yes" means yes, "No" no,
// anything else is not given.
YesNo ParseYesNo(std::u16string_view text);

// Capability mask: "TRAY.", "STK.", "FIN." and "EJS" tokens (see
// docs/model-data.md for the positions and the rule for invalid tokens).
uint32_t ParseCapabilityMask(std::u16string_view text);
// Finisher type: "PUNCH." and "TRAY." tokens.
uint16_t ParseFinisherType(std::u16string_view text);

}  // namespace kadu
