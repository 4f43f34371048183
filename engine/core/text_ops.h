// Text operations on StrRef values: substrings, trimming, case, search, replacement, comparison,
// quoting, conversion to and from integers, and the engine's message formatter.
//
// Operations that only inspect return a view into their argument, a position or a number; they
// push nothing. Operations that build a string push exactly one temporary above the caller's
// mark (StrAreaReturn) and answer it; when the result would be longer than kMaxStrLen they
// answer kStringTooLong, when the StringArea is full kOutOfMemory. A status value given as a
// string argument is passed through unchanged by every operation that returns a StrRef.
//
// Searches are quote-aware unless asked to be plain: a section that starts with ' or " and runs
// to the next occurrence of the same byte is skipped as a whole (StrSearch). Positions are
// 0-based; a search that finds nothing answers kNothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>

#include "engine/core/status.h"
#include "engine/core/str_ref.h"

namespace engine {

inline constexpr StrRef kQuoteChars = StrLit("'\"");
inline constexpr StrRef kBlankChars = StrLit(" \t");  // what trimming removes
inline constexpr StrRef kYesWords = StrLit("YES,SI,Y,S,ON");

constexpr bool IsQuoteChar(char c) { return c == '\'' || c == '"'; }
// ASCII case mapping of one byte; every other byte (the accented letters of the ANSI code page
// among them) stays as it is.
constexpr char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }
constexpr char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

// The closing bracket of an opening one ([ ( { <); any other byte is its own partner.
char BracketPartner(char open);

// ---- Searching -------------------------------------------------------------------------

enum class FindKind : uint8_t {
  kAnyOf,  // any byte of `what` (one byte is a set of one)
  kText,   // the whole text `what`
};

// The search every other one is built on: the first position at or after `start` where `what`
// matches. Without `plain` the bytes inside quoted sections are never examined, a match must
// lie wholly outside them, and a quote character itself is never found; an unclosed quote
// hides the rest of the text. An empty `what` or a status value is never found.
uint16_t StrSearch(StrRef s, size_t start, StrRef what, FindKind kind, bool plain);

uint16_t StrFindChar(StrRef s, size_t start, char ch, bool plain);
// The smallest position of any byte of `set`.
uint16_t StrFindAny(StrRef s, size_t start, StrRef set, bool plain);
// The leftmost occurrence of `text`.
uint16_t StrFindText(StrRef s, StrRef text, bool plain);
// The last occurrence (a plain search from the end).
uint16_t StrFindLast(StrRef s, StrRef what, FindKind kind);
// The number of non-overlapping occurrences of `find`, left to right. A single quote
// character as `find` is always counted with a plain search.
uint16_t StrCountOf(StrRef s, StrRef find, bool plain);

// ---- Views -----------------------------------------------------------------------------

// `count` bytes from `start`, cut at the end of s; a negative count takes the rest. A negative
// start counts from the end (clamped to 0) and then always takes the rest: StrSub("abcdef",
// -2, 5) is "ef". A start beyond the end gives the empty string at the end.
StrRef StrSub(StrRef s, int32_t start, int32_t count);

inline constexpr int kTrimLeft = 1;
inline constexpr int kTrimRight = 2;
inline constexpr int kTrimBoth = kTrimLeft | kTrimRight;

// s without leading (kTrimLeft) and/or trailing (kTrimRight) spaces and TABs.
StrRef StrTrim(StrRef s, int sides);
// The same with the bytes of `set` as the ones to remove.
StrRef StrTrimSet(StrRef s, int sides, StrRef set);
// The inner part when s has at least 2 bytes and starts and ends with the same quote
// character; else s.
StrRef StrUnquote(StrRef s);
// The text between the first `open` and its matching partner, nested pairs counted; the empty
// string when there is none. A quote as `open` (its own partner) gives the text up to the
// next occurrence of it, always found with a plain search.
StrRef StrBracketed(StrRef s, char open, bool plain);

// ---- Writing into a buffer -------------------------------------------------------------

// Copies s into `buffer` (bytes the caller owns and may write, such as its own temporary) at
// `offset`; a negative offset counts from the end, clamped to 0. Never writes past the
// buffer's length: the part of s that does not fit is dropped.
[[nodiscard]] Status StrOverwrite(StrRef buffer, int32_t offset, StrRef s);
// StrOverwrite on a pushed copy of s; answers the copy.
StrRef StrPatch(StrRef s, int32_t offset, StrRef part);

// ---- Building strings ------------------------------------------------------------------

// Every run of `ch` reduced to one `ch`.
StrRef StrCollapse(StrRef s, char ch);
// Case conversion of ASCII letters only; every other byte (the accented letters of the ANSI
// code page among them) is copied unchanged, so the result never depends on a locale.
StrRef StrUpper(StrRef s);
StrRef StrLower(StrRef s);
// Every occurrence counted by StrCountOf replaced by `with`. An empty `find` gives a copy.
StrRef StrReplace(StrRef s, StrRef find, StrRef with, bool plain);
// s enclosed in the quote `q`, or in the other quote character when s contains q.
// kBadInputData when s contains both, or when q is not a quote character.
StrRef StrQuote(StrRef s, char q);
// open, s, BracketPartner(open).
StrRef StrWrap(StrRef s, char open);
// Only the bytes of s that occur in `set`.
StrRef StrKeepOnly(StrRef s, StrRef set);
// Every byte of s found in `from` replaced by the byte at the same position of `to` (its first
// occurrence in `from` decides). A byte whose position lies beyond the end of `to` has no
// counterpart and stays as it is.
StrRef StrTranslate(StrRef s, StrRef from, StrRef to);
// s repeated n times; the empty string for n of 0 or less.
StrRef StrRepeat(StrRef s, int32_t n);
// A one-byte string.
StrRef StrChar(char ch);
// a, then `sep` only when both a and b are non-empty, then b.
StrRef StrJoin(StrRef a, char sep, StrRef b);

// ---- Comparison ------------------------------------------------------------------------

// Unsigned byte comparison over the shorter length, then the longer string is greater. Sets
// *order to -1, 0 or 1 and answers 0; when either side is a status value answers
// kStrOutBound and sets *order to 0.
[[nodiscard]] Status StrCompare(StrRef a, StrRef b, int* order);

inline constexpr int kCompareEqual = 1;
inline constexpr int kCompareGreater = 2;
inline constexpr int kCompareGreaterEqual = 3;
inline constexpr int kCompareLess = 4;
inline constexpr int kCompareLessEqual = 5;

// Whether `a op b` holds for one of the kCompare operators; false for any other op and
// whenever StrCompare fails.
bool StrCompareOp(StrRef a, StrRef b, int op);
// a when a is not empty and (op < 2, or b is empty, or StrCompareOp(a, b, op)); else b. A view,
// nothing is pushed; a status value on either side is answered as it is.
StrRef StrChoose(StrRef a, StrRef b, int op);

// ---- Numbers ---------------------------------------------------------------------------

// Decimal conversion within the string's length: leading white space, an optional sign, then
// digits up to the first non-digit; 0 when there are none. Values beyond the range of the
// result saturate at its limits.
int64_t StrToInt64(StrRef s);
// 1 when StrIsYes(s); otherwise StrToInt64(s) saturated to the int32 range.
int32_t StrToInt(StrRef s);
// Whether s, taken in upper case, is one of kYesWords.
bool StrIsYes(StrRef s);
// The decimal text of n.
StrRef IntToStr(int16_t n);
// The decimal text of n (its sign included) left-padded with `fill` to `width` bytes; a longer
// text is not cut.
StrRef IntToStrPadded(int16_t n, uint16_t width, char fill);

// ---- Formatting ------------------------------------------------------------------------

// One argument of StrFormat: a string or an integer.
class FormatArg {
 public:
  constexpr FormatArg(StrRef s) : text_(s) {}  // NOLINT(google-explicit-constructor)
  constexpr FormatArg(int64_t n)               // NOLINT(google-explicit-constructor)
      : number_(n), is_number_(true) {}

  constexpr bool is_number() const { return is_number_; }
  constexpr StrRef text() const { return text_; }
  constexpr int64_t number() const { return number_; }

 private:
  StrRef text_{"", 0};
  int64_t number_ = 0;
  bool is_number_ = false;
};

// The engine's own formatter for message texts, which language files may replace: it never
// trusts the format. Each %s or %i takes the next argument and writes it as what it is (a
// string as its bytes, an integer in decimal), so a placeholder of the wrong kind gives a
// wrong text, not a fault; a placeholder with no argument left writes nothing; %% writes one
// '%'; any other '%' is copied as it stands, and arguments left over are ignored.
// A text longer than `max` bytes answers kStringTooLong and records it in the ErrorLatch
// (site kSiteFormatStrings). A status value as the format or as an argument is passed through.
StrRef StrFormat(size_t max, StrRef format, std::initializer_list<FormatArg> args);

}  // namespace engine
