#include "message_scan.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "decoder_fatal.h"
#include "test_messages.h"

namespace tallowgate {
namespace {

// A message the scanner accepts: a 16-byte header, `body_length` bytes of sections and "7777".
Bytes fake_message(std::size_t body_length, unsigned char fill = 0) {
  Bytes m = text_bytes("GRIB");
  m.insert(m.end(), {0, 0, 0, 2});
  std::uint64_t length = 16 + body_length + 4;
  for (int shift = 56; shift >= 0; shift -= 8) m.push_back(static_cast<unsigned char>(length >> shift));
  m.insert(m.end(), body_length, fill);
  m.insert(m.end(), {'7', '7', '7', '7'});
  return m;
}

Bytes header_with_length(std::uint64_t length) {
  Bytes m = fake_message(0);
  for (int i = 0; i < 8; ++i)
    m[static_cast<std::size_t>(15 - i)] = static_cast<unsigned char>(length >> (8 * i));
  m.resize(16);
  return m;
}

Bytes cut(Bytes bytes, std::size_t drop) {
  bytes.resize(bytes.size() - drop);
  return bytes;
}

struct ScanOutcome {
  std::vector<std::uint64_t> offsets;
  std::vector<std::size_t> lengths;
  int warnings = 0;
  std::string fatal;  // empty when the file ended normally
};

ScanOutcome scan(const Bytes& file_bytes) {
  ScanOutcome outcome;
  std::FILE* file = std::tmpfile();
  if (!file_bytes.empty()) std::fwrite(file_bytes.data(), 1, file_bytes.size(), file);
  std::rewind(file);
  MessageScanner scanner(file, "in.grib2", [&outcome](std::string_view) { ++outcome.warnings; });
  GribMessage message;
  try {
    while (scanner.next(&message)) {
      outcome.offsets.push_back(message.offset);
      outcome.lengths.push_back(message.bytes.size());
    }
  } catch (const DecoderFatal& fatal) {
    outcome.fatal = fatal.what;
  }
  std::fclose(file);
  return outcome;
}

TEST(MessageScanner, FindsMessagesAsTheReferenceDecoderDoes) {
  const Bytes m = fake_message(40);
  const Bytes m2 = fake_message(7, 'G');
  struct Case {
    const char* name;
    Bytes file;
    std::vector<std::uint64_t> offsets;
    int warnings;
  };
  const Case cases[] = {
      {"empty file", {}, {}, 0},
      {"text only", text_bytes("no message here\nGRI\n"), {}, 0},
      {"junk before", concatenate({text_bytes("junk\r\n\x01"), m}), {7}, 0},
      {"a restarted match", concatenate({text_bytes("GGRGRI"), m}), {6}, 0},
      {"two messages", concatenate({m, m2}), {0, m.size()}, 0},
      {"junk between and after",
       concatenate({m, text_bytes("****"), m2, text_bytes("GRIB\n")}),
       {0, m.size() + 4},
       0},
      // A GRIB1 message is passed over by its first 8 bytes only, whatever its length says.
      {"GRIB1 then GRIB2", concatenate({text_bytes(std::string("GRIB\0\x7f\xff\x01", 8)), m}), {8}, 1},
      // Another edition is junk: the search goes on right after its "GRIB".
      {"edition 0", concatenate({text_bytes(std::string("GRIB\0\0\0\0", 8)), m}), {8}, 0},
      {"edition read from a message", concatenate({text_bytes("GRIB"), m}), {4}, 0},
      {"end inside octets 5 to 8", text_bytes(std::string("GRIB\0\0\0", 7)), {}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScanOutcome outcome = scan(c.file);
    EXPECT_EQ(outcome.fatal, "");
    EXPECT_EQ(outcome.offsets, c.offsets);
    EXPECT_EQ(outcome.warnings, c.warnings);
  }
}

TEST(MessageScanner, ReadsWholeMessages) {
  const Bytes m = fake_message(100000, 'x');
  ScanOutcome outcome = scan(concatenate({text_bytes("ab"), m}));
  ASSERT_EQ(outcome.lengths.size(), 1u);
  EXPECT_EQ(outcome.lengths[0], m.size());
}

TEST(MessageScanner, StopsAtBrokenMessages) {
  const Bytes m = fake_message(40);
  Bytes without_end = m;
  without_end[without_end.size() - 1] = '6';
  struct Case {
    const char* name;
    Bytes file;
    std::size_t messages_before;
    const char* problem;
  };
  const Case cases[] = {
      {"cut short", cut(m, 10), 0, "in.grib2: message at byte 0: file ends after 50 of its 60 bytes"},
      {"cut after a good one", concatenate({m, cut(m, 1)}), 1,
       "in.grib2: message at byte 60: file ends after 59 of its 60 bytes"},
      {"no 7777", without_end, 0, "in.grib2: message at byte 0: it does not end in 7777"},
      {"end inside the length", cut(header_with_length(60), 3), 0,
       "in.grib2: message at byte 0: file ends inside the message"},
      {"length below a header", header_with_length(19), 0,
       "in.grib2: message at byte 0: length 19 is shorter than a message"},
      // The read stops at the end of the file, not at a buffer the size of the length.
      {"absurd length", concatenate({header_with_length(std::uint64_t{1} << 60), text_bytes("7777")}), 0,
       "in.grib2: message at byte 0: file ends after 20 of its 1152921504606846976 bytes"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScanOutcome outcome = scan(c.file);
    EXPECT_EQ(outcome.offsets.size(), c.messages_before);
    EXPECT_EQ(outcome.fatal, c.problem);
  }
}

TEST(MessageScanner, ReportsAFileItCannotRead) {
  std::FILE* directory = std::fopen("/", "rb");  // opens, but reading fails
  ASSERT_NE(directory, nullptr);
  MessageScanner scanner(directory, "/", [](std::string_view) {});
  GribMessage message;
  try {
    scanner.next(&message);
    ADD_FAILURE() << "read";
  } catch (const DecoderFatal& fatal) {
    EXPECT_EQ(fatal.what, "cannot read /: Is a directory");
  }
  std::fclose(directory);
}

TEST(CountFields, CountsTheFieldsOfAMessage) {
  const Bytes one = make_message(TestGrid{});
  const Bytes two = join_fields(one, make_message(TestGrid{.values = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}}));
  Bytes broken = one;
  broken[16 + 3] = static_cast<unsigned char>(broken[16 + 3] + 1);  // section 1 a byte too long
  struct Case {
    const char* name;
    const Bytes& bytes;
    int fields;
  };
  const Case cases[] = {{"one field", one, 1}, {"two fields", two, 2}, {"broken chain", broken, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    GribMessage message{c.bytes, 0};
    EXPECT_EQ(count_fields(message), c.fields);
  }
}

}  // namespace
}  // namespace tallowgate
