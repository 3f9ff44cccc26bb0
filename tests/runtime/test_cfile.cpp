// Compressed file access: suffix rules, the default-extension retry, the
// messages of missing files, and compressed writing and reading.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "frame/error.h"
#include "runtime/cfile.h"
#include "tavlo.h"

namespace {

using tvl::Compression;

void collect(void *handle, const char *msg) { static_cast<std::string *>(handle)->append(msg); }

std::string read_all(FILE *fp) {
  std::string s;
  char buf[256];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, fp)) > 0) s.append(buf, n);
  return s;
}

struct CFile : ::testing::Test {
  TVLENVptr env = nullptr;
  std::string errors;
  std::string dir;
  void SetUp() override {
    int status;
    env = TVLopenTAVLO(&status);
    TVLCHANNELptr err;
    TVLgetchannels(env, nullptr, nullptr, &err, nullptr);
    TVLaddfuncdest(env, err, &errors, collect);
    dir = ::testing::TempDir() + "tvl_cfile_" + std::to_string(getpid()) + "_" +
          ::testing::UnitTest::GetInstance()->current_test_info()->name();
    ASSERT_EQ(std::system(("rm -rf '" + dir + "' && mkdir -p '" + dir + "'").c_str()), 0);
  }
  void TearDown() override {
    TVLcloseTAVLO(&env);
    std::system(("rm -rf '" + dir + "'").c_str());
  }
  std::string message(const std::string &name) {
    return "TAVLO Error  1423: Could not open file '" + name + "' for reading.\n";
  }
};

TEST(CFileSuffix, CompressionIsDecidedFromTheName) {
  EXPECT_EQ(tvl::compression_of("m.LP.GZ"), Compression::Gzip);
  EXPECT_EQ(tvl::compression_of("m.lp.gz"), Compression::Gzip);
  EXPECT_EQ(tvl::compression_of("m.lp.Gz"), Compression::Gzip);
  EXPECT_EQ(tvl::compression_of("m.lp.Z"), Compression::Gzip);
  EXPECT_EQ(tvl::compression_of("m.lp.z"), Compression::None);
  EXPECT_EQ(tvl::compression_of("m.mps.bz2"), Compression::Bzip2);
  EXPECT_EQ(tvl::compression_of("m.mps.bZ2"), Compression::Bzip2);
  EXPECT_EQ(tvl::compression_of(".bz2"), Compression::Bzip2);
  EXPECT_EQ(tvl::compression_of(".gz"), Compression::Gzip);
  EXPECT_EQ(tvl::compression_of(".Z"), Compression::None);  // not longer than 2
  EXPECT_EQ(tvl::compression_of("a.Z"), Compression::Gzip);
  EXPECT_EQ(tvl::compression_of("m.bz"), Compression::None);
  EXPECT_EQ(tvl::compression_of("m.lp"), Compression::None);
  EXPECT_EQ(tvl::compression_of(nullptr), Compression::None);
}

TEST_F(CFile, CompressedWriteAndRead) {
  // The programs get the name as it is: blanks and shell characters too.
  for (const char *name : {"m.lp.gz", "m.lp.Z", "m.mps.bz2", "m.lp.z", "a b;$HOME'c\"(d).lp.gz"}) {
    std::string path = dir + "/" + name;
    FILE *fp = tvl::cfile_open_write(path.c_str(), "w", true);
    ASSERT_NE(fp, nullptr) << name;
    std::fputs("hello\nworld\n", fp);
    tvl::cfile_close_write(path.c_str(), &fp);
    EXPECT_EQ(fp, nullptr);

    std::ifstream raw(path, std::ios::binary);
    std::string head(2, '\0');
    raw.read(&head[0], 2);
    std::string magic = "\x1f\x8b";
    if (std::string(name) == "m.lp.z") magic = "he";  // lower-case .z is a plain file
    if (std::string(name) == "m.mps.bz2") magic = "BZ";
    EXPECT_EQ(head, magic) << name;

    int status = -1;
    fp = tvl::open_read_reported(env, path.c_str(), "r", ".lp", false, true, &status);
    ASSERT_NE(fp, nullptr) << name;
    EXPECT_EQ(status, 0);
    EXPECT_EQ(read_all(fp), "hello\nworld\n");
    tvl::cfile_close_read(path.c_str(), &fp);
    EXPECT_EQ(fp, nullptr);
  }
  // Without decompression the raw bytes are read.
  std::string gz = dir + "/m.lp.gz";
  int status;
  FILE *fp = tvl::open_read_reported(env, gz.c_str(), "rb", ".lp", true, false, &status);
  ASSERT_NE(fp, nullptr);
  EXPECT_EQ(read_all(fp).substr(0, 2), "\x1f\x8b");
  std::fclose(fp);
  EXPECT_EQ(errors, "");
}

TEST_F(CFile, DefaultExtensionRetryAndMessages) {
  std::ofstream(dir + "/model.lp") << "x";
  int status = -1;
  std::string base = dir + "/model";
  FILE *fp = tvl::open_read_reported(env, base.c_str(), "r", ".lp", false, true, &status);
  ASSERT_NE(fp, nullptr);
  EXPECT_EQ(read_all(fp), "x");
  tvl::cfile_close_read(base.c_str(), &fp);

  // Retry forbidden: one message.
  EXPECT_EQ(tvl::open_read_reported(env, base.c_str(), "r", ".lp", true, true, &status), nullptr);
  EXPECT_EQ(status, -1423);
  EXPECT_EQ(errors, message(base));

  // Missing name: the name and the extended name are both reported.
  errors.clear();
  std::string none = dir + "/none";
  EXPECT_EQ(tvl::open_read_reported(env, none.c_str(), "r", ".lp", false, true, &status), nullptr);
  EXPECT_EQ(status, -1423);
  EXPECT_EQ(errors, message(none) + message(none + ".lp"));

  // Without a reporter the open is silent and gives 1423.
  errors.clear();
  EXPECT_EQ(tvl::cfile_open_read(none.c_str(), "r", ".lp", false, true, &status), nullptr);
  EXPECT_EQ(status, 1423);
  EXPECT_EQ(errors, "");

  // A name already ending in the extension (any case) is not retried.
  errors.clear();
  std::string upper = dir + "/none.LP";
  EXPECT_EQ(tvl::open_read_reported(env, upper.c_str(), "r", ".lp", false, true, &status), nullptr);
  EXPECT_EQ(errors, message(upper));

  // A missing compressed file is reported once, before any program starts.
  errors.clear();
  std::string gz = dir + "/none.lp.gz";
  EXPECT_EQ(tvl::open_read_reported(env, gz.c_str(), "r", ".lp", false, true, &status), nullptr);
  EXPECT_EQ(status, -1423);
  EXPECT_EQ(errors, message(gz));

  // No name: 1421 without a message.
  errors.clear();
  EXPECT_EQ(tvl::open_read_reported(env, nullptr, "r", ".lp", false, true, &status), nullptr);
  EXPECT_EQ(status, 1421);
  EXPECT_EQ(tvl::open_read_reported(env, "", "r", ".lp", false, true, &status), nullptr);
  EXPECT_EQ(status, 1421);
  EXPECT_EQ(errors, "");
}

TEST_F(CFile, LongNameIsCutForTheRetry) {
  std::string name = dir + "/" + std::string(600 - dir.size() - 1, 'n');
  ASSERT_EQ(name.size(), 600u);
  int status;
  EXPECT_EQ(tvl::open_read_reported(env, name.c_str(), "r", ".mst", false, true, &status), nullptr);
  std::string cut = name.substr(0, 507) + ".mst";
  EXPECT_EQ(errors, message(name) + message(cut));
}

TEST_F(CFile, UnwritableTargetsReturnNothing) {
  std::string bz = dir + "/missing/m.mps.bz2";
  EXPECT_EQ(tvl::cfile_open_write(bz.c_str(), "w", true), nullptr);
  std::string plain = dir + "/missing/m.mps";
  EXPECT_EQ(tvl::cfile_open_write(plain.c_str(), "w", true), nullptr);
  EXPECT_EQ(errors, "");
  FILE *none = nullptr;
  tvl::cfile_close_write(bz.c_str(), &none);  // empty slot: nothing happens
}

}  // namespace
