// The echo of message boxes in batch runs: title and text in UTF-8, the answer of a question, and
// the record kept as before.
#include <gtest/gtest.h>

#include <span>
#include <string>

#include "engine/core/file_system.h"
#include "engine/ui/cp1252.h"
#include "engine/ui/headless_host.h"

namespace engine {
namespace {

// A stream that keeps what is written to it.
class CapturedStream : public File {
 public:
  Status Read(uint64_t, std::span<char>, size_t* got) override {
    *got = 0;
    return kOk;
  }
  Status Write(uint64_t, std::span<const char> data) override {
    text.append(data.data(), data.size());
    return kOk;
  }
  Status Size(uint64_t*) override { return kFileIO; }
  Status Sync() override { return kOk; }
  std::string text;
};

TEST(HeadlessEchoTest, EveryBoxIsEchoedWithItsAnswerWhenItAsks) {
  CapturedStream stream;
  HeadlessHost host;
  (void)host.MessageBox(StrLit("not echoed"), StrLit("Before"), kBoxInformation);
  host.EchoTo(&stream);
  (void)host.MessageBox(StrLit("Error File Not Found: A.DAT"), StrLit("Fatal Error Ocurred"),
                        kBoxError);
  host.QueueAnswer(BoxButton::kNo);
  (void)host.MessageBox(StrLit("Close\n\r\xBFSure?"), StrLit("Information Request"), kBoxYesNo);
  EXPECT_EQ(stream.text,
            "Fatal Error Ocurred: Error File Not Found: A.DAT\n"
            "Information Request: Close\n\xC2\xBFSure? [No]\n");
  EXPECT_EQ(host.boxes().size(), 3u);
  EXPECT_EQ(host.boxes()[2].answer, BoxButton::kNo);
}

TEST(Cp1252Test, HighBytesBecomeTheirUnicodeCharacters) {
  const struct {
    const char* cp1252;
    const char* utf8;
  } cases[] = {
      {"plain", "plain"},       {"\x80", "\xE2\x82\xAC"}, {"\xF1", "\xC3\xB1"},
      {"\x81", "\xEF\xBF\xBD"}, {"\x9F", "\xC5\xB8"},
  };
  for (const auto& c : cases) {
    std::string out;
    AppendUtf8(&out, c.cp1252);
    EXPECT_EQ(out, c.utf8);
  }
}

}  // namespace
}  // namespace engine
