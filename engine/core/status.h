// The result type of every engine operation and the numbered codes it carries.
// 0 is success, 1..120 warnings or small ordinary results, 121 "see the detail text",
// 122..127 user-level conditions, 128 and above errors, 0xFFFF "nothing".
#pragma once

#include <cstdint>

namespace engine {

// A 16-bit status code. It converts to and from uint16_t freely so that it can be compared
// and switched on like the number it is; being a [[nodiscard]] class, a result that a caller
// drops by accident is a compile error. Drop one on purpose with a (void) cast.
class [[nodiscard]] Status {
 public:
  constexpr Status() = default;
  constexpr Status(uint16_t code) : code_(code) {}       // NOLINT(google-explicit-constructor)
  constexpr operator uint16_t() const { return code_; }  // NOLINT(google-explicit-constructor)

  constexpr uint16_t code() const { return code_; }
  constexpr bool ok() const { return code_ == 0; }
  // An error in the engine's sense: 128 or more, but not the "nothing" value.
  constexpr bool IsError() const { return code_ >= 128 && code_ != 0xFFFF; }

 private:
  uint16_t code_ = 0;
};

// Status codes. The names follow the engine's error names (see ErrorName).
inline constexpr uint16_t kOk = 0;
inline constexpr uint16_t kDetailOnly = 121;  // the detail text is the whole message
inline constexpr uint16_t kUserCanceled = 122;
inline constexpr uint16_t kNullExpression = 123;
inline constexpr uint16_t kUndefWarning = 124;
inline constexpr uint16_t kTypeWarning = 125;
inline constexpr uint16_t kBadUserData = 126;
inline constexpr uint16_t kOutOfData = 127;
inline constexpr uint16_t kTypeMismatch = 128;
inline constexpr uint16_t kLoopFailure = 129;
inline constexpr uint16_t kDiskIO = 130;
inline constexpr uint16_t kFileIO = 131;
inline constexpr uint16_t kProcedureExecution = 132;
inline constexpr uint16_t kPrcStackError = 133;
inline constexpr uint16_t kTransUpError = 134;
inline constexpr uint16_t kVarHandleError = 135;
inline constexpr uint16_t kDiskReadError = 136;
inline constexpr uint16_t kDiskWriteError = 137;
inline constexpr uint16_t kDiskOpenError = 138;
inline constexpr uint16_t kNetAccessError = 139;
inline constexpr uint16_t kBadExpression = 140;
inline constexpr uint16_t kInternalError = 141;
inline constexpr uint16_t kFarHeapInitError = 142;
inline constexpr uint16_t kScreenEnviron = 143;
inline constexpr uint16_t kIndexCmdError = 144;
inline constexpr uint16_t kOutOfMemory = 145;
inline constexpr uint16_t kStringTooLong = 146;
inline constexpr uint16_t kSyntaxError = 147;
inline constexpr uint16_t kFeatureRemoved = 148;
inline constexpr uint16_t kDimStructError = 149;
inline constexpr uint16_t kBadStringType = 150;
inline constexpr uint16_t kBadFileNumber = 151;
inline constexpr uint16_t kFormatFailure = 152;
inline constexpr uint16_t kStrConcatError = 153;
inline constexpr uint16_t kMemoryAllocError = 154;
inline constexpr uint16_t kExpCalcError = 155;
inline constexpr uint16_t kLoadStrError = 156;
inline constexpr uint16_t kVarNameError = 157;
inline constexpr uint16_t kBadCommandLine = 158;
inline constexpr uint16_t kStrOutBound = 159;
inline constexpr uint16_t kMemTestError = 160;
inline constexpr uint16_t kFileOutBound = 161;
inline constexpr uint16_t kSqlError = 162;
inline constexpr uint16_t kBadInputData = 163;
inline constexpr uint16_t kFileNotFound = 164;
inline constexpr uint16_t kFileExist = 165;
inline constexpr uint16_t kFileOpening = 166;
inline constexpr uint16_t kChildExecError = 167;
inline constexpr uint16_t kDataOutBound = 168;
inline constexpr uint16_t kFileNotInit = 169;
inline constexpr uint16_t kCommonCtlError = 170;
inline constexpr uint16_t kDeviceTimeout = 171;
inline constexpr uint16_t kDeviceIOError = 172;
inline constexpr uint16_t kSystemCmdError = 173;
inline constexpr uint16_t kPermissionDenied = 175;
inline constexpr uint16_t kStructMemError = 176;
inline constexpr uint16_t kScreenStructError = 177;
inline constexpr uint16_t kMemoryLeaks = 178;
inline constexpr uint16_t kWindowsControlError = 179;
inline constexpr uint16_t kMemoryOverflow = 180;
inline constexpr uint16_t kVariableScreenField = 181;
inline constexpr uint16_t kDataAlreadyExist = 183;
inline constexpr uint16_t kOnlyLocalAccess = 184;
inline constexpr uint16_t kGraphicSupportLow = 185;
inline constexpr uint16_t kNothing = 0xFFFF;  // not found, no value; never reported

}  // namespace engine
