#include "tests/support/number_text_model.h"

#include <cstdint>
#include <cstdio>

namespace testsupport {

using seqwriter::kNumberTextSize;

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// One conversion as wsprintfA reads it. It takes each flag at most once and in the order
// '-', '#', '0'; anything else where it expects the conversion letter makes the conversion
// unknown: the letter is then printed as text and no argument is read. Widths and precisions
// are unsigned 32-bit and wrap.
struct Conversion {
  bool leftAlign, hexPrefix, zeroPad, upperHex;
  uint32_t width, precision;
  enum Type { kUnknown, kSigned, kUnsigned, kHex } type;
};

// Reads the conversion after a '%'; returns how many bytes of the pattern it took.
size_t ParseConversion(const char* cursor, Conversion* c) {
  *c = {};
  const char* p = cursor;
  if (*p == '-') c->leftAlign = true, ++p;
  if (*p == '#') c->hexPrefix = true, ++p;
  if (*p == '0') c->zeroPad = true, ++p;
  while (IsDigit(*p)) c->width = c->width * 10 + static_cast<uint32_t>(*p++ - '0');
  if (*p == '.') {
    ++p;
    while (IsDigit(*p)) c->precision = c->precision * 10 + static_cast<uint32_t>(*p++ - '0');
  }
  if (*p == 'l' || *p == 'h') ++p;
  switch (*p) {
    case 'd':
    case 'i':
      c->type = Conversion::kSigned;
      break;
    case 'u':
      c->type = Conversion::kUnsigned;
      break;
    case 'X':
      c->upperHex = true;
      c->type = Conversion::kHex;
      break;
    case 'x':
      c->type = Conversion::kHex;
      break;
    default:
      c->type = Conversion::kUnknown;
      --p;  // printed as text
      break;
  }
  return static_cast<size_t>(p - cursor) + 1;
}

// The digits of the value and their count (the sign included, "0x" counted but not written);
// settles the precision as the number of digits with their zero padding.
uint32_t DigitsOf(Conversion* c, int value, char (&digits)[16], uint32_t room) {
  if (c->leftAlign) c->zeroPad = false;
  if (c->width > room) c->width = room;
  if (c->type == Conversion::kUnknown) return 0;
  const unsigned bits = static_cast<unsigned>(value);
  uint32_t len = static_cast<uint32_t>(
      c->type == Conversion::kSigned     ? std::snprintf(digits, sizeof digits, "%d", value)
      : c->type == Conversion::kUnsigned ? std::snprintf(digits, sizeof digits, "%u", bits)
      : std::snprintf(digits, sizeof digits, c->upperHex ? "%X" : "%x", bits));
  if (len > room) len = room;
  if (c->precision < len) c->precision = len;
  if (c->precision > room) c->precision = room;
  if (c->zeroPad && c->width > c->precision) c->precision = c->width;
  if (c->hexPrefix && c->type == Conversion::kHex) len += 2;
  return len;
}

}  // namespace

size_t FormatNumber(char (&out)[kNumberTextSize], const char* pattern, int value) {
  char* p = out;
  uint32_t room = kNumberTextSize;  // bytes left, the NUL included
  bool cut = false;                 // a byte did not fit
  // Every byte goes through here: at the limit the text is cut, never the buffer overrun.
  auto put = [&](char ch) {
    if (room > 1) {
      *p++ = ch;
      --room;
    } else {
      cut = true;
    }
  };
  const char* cursor = pattern;
  while (*cursor != '\0' && !cut) {
    if (*cursor != '%') {
      put(*cursor++);
      continue;
    }
    ++cursor;
    if (*cursor == '%') {
      put(*cursor++);
      continue;
    }
    Conversion c;
    cursor += ParseConversion(cursor, &c);
    char digits[16];
    const uint32_t len = DigitsOf(&c, value, digits, room - 1);
    if (!c.leftAlign) {
      for (uint32_t i = c.precision; i < c.width && !cut; ++i) put(' ');
    }
    uint32_t sign = 0;
    switch (c.type) {
      case Conversion::kUnknown:
        continue;
      case Conversion::kHex:
        if (c.hexPrefix && room > 3) {
          put('0');
          put(c.upperHex ? 'X' : 'x');
        }
        [[fallthrough]];
      case Conversion::kSigned:
        if (digits[0] == '-') {
          put('-');
          sign = 1;
        }
        [[fallthrough]];
      case Conversion::kUnsigned: {
        const uint32_t shown = c.type == Conversion::kHex && c.hexPrefix ? len - 2 : len;
        for (uint32_t i = shown; i < c.precision && !cut; ++i) put('0');
        for (uint32_t i = sign; i < shown; ++i) put(digits[i]);
        break;
      }
    }
    if (c.leftAlign) {
      for (uint32_t i = c.precision; i < c.width && !cut; ++i) put(' ');
    }
  }
  *p = '\0';
  // Like wsprintfA, a text that fills the buffer (cut there or not) reports the buffer's size
  // rather than its length.
  return room > 1 ? static_cast<size_t>(p - out) : kNumberTextSize;
}

}  // namespace testsupport
