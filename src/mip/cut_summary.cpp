#include "mip/cut_summary.h"

#include "frame/error.h"
#include "frame/param.h"

namespace tvl::mip {

namespace {

struct SummaryLine {
  int type;     // cut type index
  int param;    // parameter that shows the line when above 0 (0: none)
  const char *text;
};

constexpr SummaryLine kLines[] = {
    {1, TVL_PARAM_GUBCOVERS, "GUB cover cuts applied:  %lld\n"},
    {3, TVL_PARAM_CLIQUES, "Clique cuts applied:  %lld\n"},
    {0, TVL_PARAM_COVERS, "Cover cuts applied:  %lld\n"},
    {11, 0, "Local cover cuts applied:  %lld\n"},
    {8, TVL_PARAM_IMPLBD, "Implied bound cuts applied:  %lld\n"},
    {2, TVL_PARAM_FLOWCOVERS, "Flow cuts applied:  %lld\n"},
    {5, TVL_PARAM_MIRCUTS, "Mixed integer rounding cuts applied:  %lld\n"},
    {6, TVL_PARAM_FLOWPATHS, "Flow path cuts applied:  %lld\n"},
    {9, TVL_PARAM_ZEROHALFCUTS, "Zero-half cuts applied:  %lld\n"},
    {10, TVL_PARAM_MCFCUTS, "Multi commodity flow cuts applied:  %lld\n"},
    {4, TVL_PARAM_FRACCUTS, "Gomory fractional cuts applied:  %lld\n"},
    {7, TVL_PARAM_DISJCUTS, "Disjunctive cuts applied:  %lld\n"},
    {12, 0, "Tightening cuts applied:  %lld\n"},
    {13, 0, "Objective disjunction cuts applied:  %lld\n"},
    {16, 0, "Solution pool cuts applied:  %lld\n"},
    {14, 0, "User cuts applied:  %lld\n"},
    {15, 0, "Lazy constraints applied:  %lld\n"},
};

}  // namespace

void print_cut_summary(const tvlenv *env, const MipRecord &record) {
  bool first = true;
  for (const SummaryLine &line : kLines) {
    long long count = record.cuts[static_cast<size_t>(line.type)];
    if (line.type == 0) count += record.extra_cover_cuts;
    if (line.type == 14) count += record.extra_user_cuts;
    if (count == 0 && (line.param == 0 || param_int(env, line.param) <= 0)) continue;
    if (first) msg_results(env, "\n");
    first = false;
    msg_results(env, line.text, count);
  }
}

}  // namespace tvl::mip
