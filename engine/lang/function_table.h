// The function table: the 33 engine functions and up to 16 module functions that an operand
// NAME(arguments) calls, how many of a call's arguments are evaluated before it runs, and the
// reading of those arguments.
//
// The names are one NUL-separated list in StringSlots item (0, 8) (the `.funclist` item): the
// engine's 33 in their fixed order (numbers 1..33), then the module functions in the order they
// were registered (34..49). A name is looked up exactly, then in capitals. The result kind of a
// call follows from its name: a name holding '$' returns a string, any other a number.
//
// A function runs with its evaluated arguments on StringSlots group 35 (the last on top) and the
// arguments it reads itself left as text; it pushes exactly one result on the StringArea.
#pragma once

#include <cstdint>

#include "engine/core/status.h"
#include "engine/core/str_ref.h"
#include "engine/lang/eval_hooks.h"
#include "engine/lang/variables.h"

namespace engine {

inline constexpr uint16_t kEngineFunctionCount = 33;
inline constexpr uint16_t kModuleFunctionMax = 16;
inline constexpr uint16_t kFirstModuleFunction = kEngineFunctionCount + 1;
inline constexpr uint16_t kEnvFunctionList = 8;  // StringSlots item (0, 8)

// The call in progress, as a function sees it. Arguments are numbered from 1 in the order
// written; only the pre-evaluated ones can be read with the Arg operations. A missing argument
// (beyond the count) and an omitted one (an empty text between separators) both give the
// default. Strings are answered as copies pushed on the StringArea.
class FunctionCall {
 public:
  FunctionCall(const ArgKinds& kinds, ArgList* rest);

  // The evaluated arguments.
  uint16_t Evaluated() const { return kinds_.count; }
  // Every argument: the evaluated ones and those still left as text.
  uint16_t Total() const;
  // The arguments left as text (read them with NextArgumentText or EvalNextArgument).
  ArgList* rest() const { return rest_; }

  // 147 when Total() is outside min..max.
  [[nodiscard]] Status ArgCount(uint16_t min, uint16_t max) const;
  // Whether argument n was evaluated and is not omitted.
  bool Given(uint16_t n) const;
  bool IsString(uint16_t n) const;
  // A number argument as a 16-bit integer (rounded, low 16 bits); 128 for a string.
  [[nodiscard]] Status ArgInteger(uint16_t n, int16_t fallback, int16_t* out) const;
  // A number argument as its scaled value; 128 for a string.
  [[nodiscard]] Status ArgNumber(uint16_t n, int64_t fallback, int64_t* out) const;
  // A string argument (pushed); 128 for a number.
  [[nodiscard]] Status ArgString(uint16_t n, StrRef fallback, StrRef* out) const;
  // Either kind (pushed: a string as its bytes, a number as its 8 bytes); a missing or omitted
  // argument is the number 0.
  [[nodiscard]] Status ArgValue(uint16_t n, ValueKind* kind, StrRef* out) const;
  // A string, or a number made canonical text (pushed).
  [[nodiscard]] Status ArgText(uint16_t n, StrRef fallback, StrRef* out) const;

  // Every evaluated argument: numbers (and omitted ones, as 0) into the integers, strings
  // (pushed) into the strings, each in order. 147 when there are more than `max`.
  struct Lists {
    uint16_t integer_count = 0;
    uint16_t string_count = 0;
    int16_t integers[kMaxArguments] = {};
    StrRef strings[kMaxArguments];
  };
  [[nodiscard]] Status ArgAll(uint16_t max, Lists* lists) const;

 private:
  // The stored bytes of argument n (a view into the string registers).
  StrRef Stored(uint16_t n) const;

  const ArgKinds& kinds_;
  ArgList* rest_;
  uint16_t base_;  // the item of group 35 that holds the first argument
};

using FunctionHandler = Status (*)(FunctionCall& call);

// Builds the name list in item (0, 8), forgets the module functions and makes this table the
// evaluator's. The language start calls it.
[[nodiscard]] Status FunctionTableStart();
// Gives the evaluator back its default table and releases what the functions hold: sorted lists
// and files opened by FILESEL.
void FunctionTableStop();

// Adds a module function: its name is appended to the list (built first when it does not exist)
// and its handler kept. 168 (DATAOUTBOUND) for a seventeenth; 163 for an empty name or one that
// holds a NUL or a '('.
[[nodiscard]] Status FunctionRegister(StrRef name, FunctionHandler handler);

// The number of the function called `name`, 0 when none.
uint16_t FunctionFind(StrRef name);

// Helpers for handlers: push one result and answer the status to return.
[[nodiscard]] Status ReturnNumber(int64_t scaled);
[[nodiscard]] Status ReturnWhole(int64_t whole);
// Pushes a copy of s unless it is already the newest temporary; a status value is answered.
[[nodiscard]] Status ReturnText(StrRef s);

}  // namespace engine
