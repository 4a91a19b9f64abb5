// The output table and the 280-byte settings blob.
#include <vector>

#include "tests/seqwriter/seqwriter_fixture.h"
#include "tests/win/plugin_table.h"

namespace seqwritertest {
namespace {

// The Windows tests run with the Japanese ANSI code page, as the plug-ins' users do.
TEST(Environment, AnsiCodePageIs932) { EXPECT_EQ(GetACP(), 932u); }

// Flags 0; no information, init or exit.
TEST_F(SeqwriterTest, TableFields) {
  using host::OutputTable;
  const OutputTable* t = table();
  wintest::ExpectTableWords(t, {offsetof(OutputTable, name), offsetof(OutputTable, fileFilter),
                             offsetof(OutputTable, output), offsetof(OutputTable, config),
                             offsetof(OutputTable, configGet), offsetof(OutputTable, configSet)},
                            "seqwriter.dll", "GetOutputPluginTable");
  EXPECT_STREQ(t->name, "Vistrane(YC48)");
  EXPECT_EQ(testhost::FilterStrings(t->fileFilter),
            (std::vector<std::string>{"JPEG File (*.jpg,*jpeg)", "*.jpg;*.jpeg", "AllFile (*.*)", "*.*"}));
}

TEST_F(SeqwriterTest, DefaultsAtLoad) {
  EXPECT_EQ(testhost::CallPlugin(table()->configGet, 0), 280u);  // null buffer: size only
  EXPECT_EQ(GetBlob(), MakeBlob(Config{}));
}

TEST_F(SeqwriterTest, SetConfigTakesExactly280Bytes) {
  Config c;
  c.pattern = "frame-%03d";
  c.quality = 12;
  c.optimize = 0;
  c.progression = 0;
  c.downsampling = 9;  // out of range: stored as it comes
  c.quantize = -4;
  c.spare = 0x5EA5EED;
  const Blob wanted = MakeBlob(c);
  std::vector<uint8_t> longer(wanted.begin(), wanted.end());
  longer.push_back(0xAB);

  const Blob before = GetBlob();
  EXPECT_EQ(SetBlob(wanted.data(), 279), 0);
  EXPECT_EQ(SetBlob(longer.data(), 281), 0);
  EXPECT_EQ(SetBlob(wanted.data(), 0), 0);
  EXPECT_EQ(GetBlob(), before);

  EXPECT_EQ(SetBlob(wanted.data(), 280), 280);
  EXPECT_EQ(GetBlob(), wanted);  // spare and out-of-range codes carried through unchanged
}

}  // namespace
}  // namespace seqwritertest
