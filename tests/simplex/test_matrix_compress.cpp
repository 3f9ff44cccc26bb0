// Matrix compression: bit-exact round trips of the problem's own matrix on
// Netlib instances and on hand-made edge cases, the flow with compression
// on (messages, unchanged result, matrix back afterwards), and the restart
// basis file of hidden parameter 1041.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

#include "frame/problem.h"
#include "simplex/matrix_compress.h"
#include "support/netlib_lp.h"
#include "runtime/alloc.h"
#include "support/api_session.h"
#include "support/log_text.h"
#include "tavlo.h"

namespace {

using tvl::LpData;
using tvl::lp::CompressedMatrix;

constexpr int kParamCompression = 1066;
constexpr int kParamRestartBasis = 1041;

// The used slots of the matrix, column after column, as raw bytes.
std::vector<unsigned char> used_slots(const LpData &d) {
  std::vector<unsigned char> out;
  for (int32_t j = 0; j < d.ncols; ++j) {
    const int64_t beg = d.matbeg[j], cnt = d.matcnt[j];
    const auto *ind = reinterpret_cast<const unsigned char *>(d.matind + beg);
    const auto *val = reinterpret_cast<const unsigned char *>(d.matval + beg);
    out.insert(out.end(), ind, ind + cnt * sizeof(int32_t));
    out.insert(out.end(), val, val + cnt * sizeof(double));
  }
  return out;
}

// Compresses and expands d, checking that the arrays are gone in between,
// that the compressed form is no larger, and that every used slot returns
// bit for bit.  Returns the compressed size.
size_t round_trip(LpData &d) {
  const std::vector<unsigned char> before = used_slots(d);
  const int32_t *beg = d.matbeg, *cnt = d.matcnt;
  CompressedMatrix c;
  EXPECT_TRUE(tvl::lp::compress_matrix(d, c));
  EXPECT_TRUE(c.active);
  EXPECT_EQ(d.matind, nullptr);
  EXPECT_EQ(d.matval, nullptr);
  EXPECT_FALSE(tvl::lp::compress_matrix(d, c));  // nothing left to compress
  const size_t size = c.bytes();
  EXPECT_TRUE(tvl::lp::expand_matrix(d, c));
  EXPECT_FALSE(c.active);
  EXPECT_EQ(d.matbeg, beg);
  EXPECT_EQ(d.matcnt, cnt);
  EXPECT_TRUE(used_slots(d) == before);
  return size;
}

struct Prob : tvltest::ApiSession {
  Prob() : ApiSession("compress") {}
  explicit Prob(const std::string &name) : Prob() { EXPECT_EQ(read_netlib(name), 0) << name; }
  LpData &data() { return *lp->lp; }
};

TEST(MatrixCompress, NetlibMatricesRoundTripBitExactAndShrink) {
  const char *const names[] = {"afiro", "adlittle", "blend", "israel", "pilot", "pilot87", "fit2p", "d2q06c",
                               "greenbea", "degen3", "pilot4", "80bau3b"};
  for (const char *name : names) {
    SCOPED_TRACE(name);
    Prob p(name);
    LpData &d = p.data();
    ASSERT_GT(d.nzend(), 0);
    const size_t packed = round_trip(d);
    // Netlib values repeat a lot and rows of a column are near each other.
    EXPECT_LT(packed, tvl::lp::expanded_bytes(d) / 2);
  }
}

// A hand-made LP data block owning library arrays.
struct HandMatrix {
  LpData d;
  HandMatrix(int32_t nrows, const std::vector<int32_t> &beg, const std::vector<int32_t> &cnt, int64_t nzcap) {
    d.nrows = nrows;
    d.ncols = d.colcap = static_cast<int32_t>(beg.size());
    d.nzcap = nzcap;
    d.matbeg = tvl::mem_array<int32_t>(beg.size());
    d.matcnt = tvl::mem_array<int32_t>(cnt.size());
    std::copy(beg.begin(), beg.end(), d.matbeg);
    std::copy(cnt.begin(), cnt.end(), d.matcnt);
    d.matind = static_cast<int32_t *>(tvl::mem_calloc(static_cast<size_t>(nzcap), sizeof(int32_t)));
    d.matval = static_cast<double *>(tvl::mem_calloc(static_cast<size_t>(nzcap), sizeof(double)));
  }
  ~HandMatrix() {
    tvl::mem_free(d.matbeg);
    tvl::mem_free(d.matcnt);
    tvl::mem_free(d.matind);
    tvl::mem_free(d.matval);
  }
};

TEST(MatrixCompress, EdgeCasesRoundTripBitExact) {
  const double tiny = std::numeric_limits<double>::denorm_min();
  const int32_t big = std::numeric_limits<int32_t>::max();
  {
    // Empty columns, gaps between columns, rows out of order with jumps
    // across the whole index range, -0.0 beside 0.0-free neighbours and
    // the extreme finite values.
    HandMatrix h(big, {0, 3, 3, 9, 12}, {2, 0, 4, 0, 3}, 20);
    const int32_t ind[] = {big - 1, 0, 5, 4, big - 2, 1, 7, 0, big - 1};
    const double val[] = {-0.0, DBL_MAX, -DBL_MAX, tiny, -tiny, DBL_MIN, 1.0 / 3.0, -1.0, 1e-300};
    const int pos[] = {0, 1, 3, 4, 5, 6, 12, 13, 14};
    for (int k = 0; k < 9; ++k) {
      h.d.matind[pos[k]] = ind[k];
      h.d.matval[pos[k]] = val[k];
    }
    round_trip(h.d);
    EXPECT_TRUE(std::signbit(h.d.matval[0]));
    EXPECT_EQ(h.d.matval[5], -tiny);
  }
  {
    // No columns at all, and columns without any nonzero.
    HandMatrix none(3, {}, {}, 4);
    round_trip(none.d);
    HandMatrix empty(3, {0, 0, 0}, {0, 0, 0}, 0);
    round_trip(empty.d);
  }
  for (const int distinct : {256, 257, 65536, 65537}) {
    // Pool sizes at the borders of one, two and four byte indices.
    SCOPED_TRACE(distinct);
    const int nz = distinct + 5;
    HandMatrix h(nz, {0, 1}, {1, nz - 1}, nz + 1);
    for (int k = 0; k < nz; ++k) {
      h.d.matind[k] = (k * 7919) % nz;
      h.d.matval[k] = k < distinct ? std::ldexp(1.0 + k, -k % 900) : 2.0;
    }
    round_trip(h.d);
  }
}

double objective_of(Prob &p) {
  double obj = NAN;
  EXPECT_EQ(TVLgetobjval(p.env, p.lp, &obj), 0);
  return obj;
}

TEST(MatrixCompress, FlowPrintsSizesAndSolvesUnchanged) {
  for (const char *name : {"afiro", "israel", "scfxm1"}) {
    for (const int method : {TVL_ALG_DUAL, TVL_ALG_PRIMAL}) {
      SCOPED_TRACE(std::string(name) + (method == TVL_ALG_DUAL ? " dual" : " primal"));
      Prob plain(name), packed(name);
      plain.set(TVL_PARAM_LPMETHOD, method);
      packed.set(TVL_PARAM_LPMETHOD, method);
      packed.set(kParamCompression, 1);
      const std::vector<unsigned char> matrix = used_slots(packed.data());
      ASSERT_EQ(TVLlpopt(plain.env, plain.lp), 0);
      ASSERT_EQ(TVLlpopt(packed.env, packed.lp), 0) << packed.errors;
      EXPECT_NE(packed.log.find("Compression time = "), std::string::npos);
      EXPECT_NE(packed.log.find("Compression reduced "), std::string::npos);
      EXPECT_EQ(plain.log.find("Compression"), std::string::npos);
      EXPECT_TRUE(used_slots(packed.data()) == matrix);
      EXPECT_EQ(TVLgetstat(packed.env, packed.lp), TVL_STAT_OPTIMAL);
      EXPECT_EQ(objective_of(packed), objective_of(plain));
      EXPECT_EQ(TVLgetitcnt(packed.env, packed.lp), TVLgetitcnt(plain.env, plain.lp));
    }
  }
  // Parameter 0 compresses only with memory emphasis; display off prints
  // nothing but still compresses and restores.
  Prob emphasis("afiro"), quiet("afiro");
  emphasis.set(TVL_PARAM_MEMORYEMPHASIS, 1);
  ASSERT_EQ(TVLdualopt(emphasis.env, emphasis.lp), 0);
  EXPECT_NE(emphasis.log.find("Compression reduced "), std::string::npos);
  quiet.set(kParamCompression, 1);
  quiet.set(TVL_PARAM_SIMDISPLAY, 0);
  const std::vector<unsigned char> matrix = used_slots(quiet.data());
  ASSERT_EQ(TVLdualopt(quiet.env, quiet.lp), 0);
  EXPECT_EQ(quiet.log.find("Compression"), std::string::npos);
  EXPECT_TRUE(used_slots(quiet.data()) == matrix);
  EXPECT_EQ(objective_of(quiet), objective_of(emphasis));
}

// Runs the body in a fresh temporary working directory.
struct InTempDir {
  std::filesystem::path old = std::filesystem::current_path();
  std::filesystem::path dir;
  InTempDir() {
    char tmpl[] = "/tmp/tvl_restart_XXXXXX";
    dir = mkdtemp(tmpl);
    std::filesystem::current_path(dir);
  }
  ~InTempDir() {
    std::filesystem::current_path(old);
    std::filesystem::remove_all(dir);
  }
};

std::string prob_name(Prob &p) {
  char buf[256] = {};
  int surplus = 0;
  EXPECT_EQ(TVLgetprobname(p.env, p.lp, buf, sizeof buf, &surplus), 0);
  return buf;
}

TEST(MatrixCompress, RestartBasisFileStartsTheSolve) {
  InTempDir tmp;
  Prob first("israel");
  ASSERT_EQ(TVLprimopt(first.env, first.lp), 0);
  const std::string file = prob_name(first) + ".bas";
  {
    // Without the file the parameter changes nothing and says nothing.
    Prob absent("israel");
    absent.set(kParamRestartBasis, 1);
    ASSERT_EQ(TVLprimopt(absent.env, absent.lp), 0);
    EXPECT_EQ(absent.errors, "");
    EXPECT_EQ(TVLgetitcnt(absent.env, absent.lp), TVLgetitcnt(first.env, first.lp));
  }
  ASSERT_EQ(TVLmbasewrite(first.env, first.lp, file.c_str()), 0);
  for (const int restart : {0, 1}) {
    for (const int preind : {0, 1}) {
      SCOPED_TRACE(std::to_string(restart) + " presolve " + std::to_string(preind));
      Prob again("israel");
      again.set(TVL_PARAM_ADVIND, 0);
      again.set(TVL_PARAM_PREIND, preind);
      again.set(kParamRestartBasis, restart);
      ASSERT_EQ(TVLprimopt(again.env, again.lp), 0) << again.errors;
      EXPECT_EQ(again.errors, "");
      EXPECT_NEAR(objective_of(again), objective_of(first), 1e-6 * std::fabs(objective_of(first)));
      // Without presolve the loaded optimal basis needs no iteration; with
      // presolve it is crushed into the reduced problem first.
      if (!preind) {
        EXPECT_EQ(TVLgetitcnt(again.env, again.lp) == 0, restart == 1);
      }
      int advind = -1;
      ASSERT_EQ(TVLgetintparam(again.env, TVL_PARAM_ADVIND, &advind), 0);
      EXPECT_EQ(advind, 0);  // set for the call only
    }
  }
}

}  // namespace
