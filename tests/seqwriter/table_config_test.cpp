// The output table and the 280-byte settings blob.
#include <vector>

#include "tests/seqwriter/seqwriter_fixture.h"

namespace seqwritertest {
namespace {

// The Windows tests run with the Japanese ANSI code page, as the plug-ins' users do.
TEST(Environment, AnsiCodePageIs932) { EXPECT_EQ(GetACP(), 932u); }

TEST_F(SeqwriterTest, TableFields) {
  const host::OutputTable* t = table();
  EXPECT_EQ(t->flags, 0u);
  EXPECT_STREQ(t->name, "Vistrane(YC48)");
  EXPECT_EQ(testhost::FilterStrings(t->fileFilter),
            (std::vector<std::string>{"JPEG File (*.jpg,*jpeg)", "*.jpg;*.jpeg", "AllFile (*.*)", "*.*"}));
  EXPECT_EQ(t->information, nullptr);
  EXPECT_EQ(t->init, nullptr);
  EXPECT_EQ(t->exit, nullptr);
  EXPECT_NE(t->output, nullptr);
  EXPECT_NE(t->config, nullptr);
  EXPECT_NE(t->configGet, nullptr);
  EXPECT_NE(t->configSet, nullptr);
  for (int32_t word : t->reserved40) EXPECT_EQ(word, 0);
  testhost::PluginModule again("seqwriter.dll");
  EXPECT_EQ(again.CallGetter<host::OutputTable>("GetOutputPluginTable"), t);
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
