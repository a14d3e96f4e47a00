#include "model/revision_numbers.h"

#include <algorithm>
#include <cstddef>

namespace kestro {

namespace {

bool IsCSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The leading decimal value of a field, kept as its digit text so that
// arbitrarily long digit runs from untrusted files compare exactly.
struct FieldValue {
  bool negative = false;
  std::string_view digits;  // without leading zeros; empty means zero
};

FieldValue LeadingValue(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && IsCSpace(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  while (i < text.size() && text[i] == '0') ++i;
  std::size_t start = i;
  while (i < text.size() && IsDigit(text[i])) ++i;
  FieldValue value;
  value.digits = text.substr(start, i - start);
  value.negative = negative && !value.digits.empty();  // -0 is 0
  return value;
}

int CompareMagnitude(std::string_view x, std::string_view y) {
  if (x.size() != y.size()) return x.size() < y.size() ? -1 : 1;
  int r = x.compare(y);
  return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

int CompareValues(const FieldValue& x, const FieldValue& y) {
  if (x.negative != y.negative) return x.negative ? -1 : 1;
  int r = CompareMagnitude(x.digits, y.digits);
  return x.negative ? -r : r;
}

// Magnitude + 1 on digit text without leading zeros ("" is zero).
std::string IncrementDigits(std::string_view digits) {
  std::string s(digits);
  std::size_t i = s.size();
  while (i > 0 && s[i - 1] == '9') s[--i] = '0';
  if (i == 0)
    s.insert(s.begin(), '1');
  else
    ++s[i - 1];
  return s;
}

// Magnitude - 1 on non-zero digit text without leading zeros.
std::string DecrementDigits(std::string_view digits) {
  std::string s(digits);
  std::size_t i = s.size();
  while (i > 0 && s[i - 1] == '0') s[--i] = '9';
  --s[i - 1];
  std::size_t first = s.find_first_not_of('0');
  return first == std::string::npos ? std::string() : s.substr(first);
}

}  // namespace

int CountRevisionFields(std::string_view number) {
  if (number.empty()) return 0;
  return static_cast<int>(std::count(number.begin(), number.end(), '.')) + 1;
}

std::string LeadingRevisionFields(std::string_view number, int n) {
  if (number.empty() || n <= 0) return {};
  std::size_t pos = 0;
  for (int dots = 0;; ++dots) {
    pos = number.find('.', pos);
    if (pos == std::string_view::npos) return std::string(number);
    if (dots + 1 == n) return std::string(number.substr(0, pos));
    ++pos;
  }
}

std::string BranchOf(std::string_view number) {
  return LeadingRevisionFields(number, CountRevisionFields(number) - 1);
}

std::string BranchPointOf(std::string_view number) {
  return LeadingRevisionFields(number, CountRevisionFields(number) - 2);
}

std::string NextRevision(std::string_view number) {
  std::size_t dot = number.rfind('.');
  std::size_t fieldStart = dot == std::string_view::npos ? 0 : dot + 1;
  std::string result(number.substr(0, fieldStart));
  FieldValue value = LeadingValue(number.substr(fieldStart));
  if (!value.negative) {
    result += IncrementDigits(value.digits);
  } else {
    std::string magnitude = DecrementDigits(value.digits);
    result += magnitude.empty() ? std::string("0") : "-" + magnitude;
  }
  return result;
}

int CompareRevisions(std::string_view a, std::string_view b) {
  // pa and pb are the positions at which the fields being compared start.
  std::size_t pa = 0;
  std::size_t pb = 0;
  for (;;) {
    int r = CompareValues(LeadingValue(a.substr(pa)), LeadingValue(b.substr(pb)));
    if (r != 0) return r;
    // The order matters: a advances before b is checked (the order of the field walk), which
    // is what makes a longer a compare greater and a shorter a compare equal.
    std::size_t da = a.find('.', pa);
    if (da == std::string_view::npos) break;
    pa = da + 1;
    std::size_t db = b.find('.', pb);
    if (db == std::string_view::npos) break;
    pb = db + 1;
  }
  if (pa == pb) return 0;
  return pa > pb ? 1 : -1;
}

}  // namespace kestro
