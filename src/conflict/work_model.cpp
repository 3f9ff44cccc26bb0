#include "conflict/work_model.h"

#include <cmath>

#include "frame/infinity.h"

namespace tvl::conflict {

WorkModel make_work_model(const lp::LpModel &model, int32_t nrows, int32_t ncols) {
  WorkModel w;
  w.ncols = ncols;
  w.nrows = nrows;
  w.model_cols = model.a.n;
  lp::LpModel &l = w.lp;
  l.objsense = 1;
  l.a.m = model.a.m;
  l.a.n = model.a.n + nrows;
  l.a.start = model.a.start;
  l.a.index = model.a.index;
  l.a.value = model.a.value;
  l.a.start.reserve(static_cast<size_t>(l.a.n) + 1);
  for (int32_t i = 0; i < nrows; ++i) {
    l.a.index.push_back(i);
    l.a.value.push_back(-1.0);
    l.a.start.push_back(static_cast<int32_t>(l.a.index.size()));
  }
  l.cost.assign(static_cast<size_t>(l.a.n), 0.0);
  l.collo = model.collo;
  l.colup = model.colup;
  l.rowlo = model.rowlo;
  l.rowup = model.rowup;
  for (int32_t i = 0; i < nrows; ++i) {
    l.collo.push_back(model.rowlo[static_cast<size_t>(i)]);
    l.colup.push_back(model.rowup[static_cast<size_t>(i)]);
    l.rowlo[static_cast<size_t>(i)] = 0.0;
    l.rowup[static_cast<size_t>(i)] = 0.0;
  }
  w.tight_lo = l.collo;
  w.tight_up = l.colup;
  w.base_lo = l.collo;
  w.base_up = l.colup;
  // Candidates fall back to infinite bounds; the model's own extra columns
  // keep theirs.
  for (int32_t k = 0; k < l.a.n; ++k) {
    if (k >= ncols && k < w.model_cols) continue;
    w.base_lo[static_cast<size_t>(k)] = -kInfBound;
    w.base_up[static_cast<size_t>(k)] = kInfBound;
  }
  return w;
}

lp::LpModel original_form(const WorkModel &w, const lp::LpModel &current) {
  lp::LpModel o;
  const int32_t n = w.model_cols;
  const size_t nn = static_cast<size_t>(n);
  o.objsense = 1;
  o.a.m = current.a.m;
  o.a.n = n;
  o.a.start.assign(current.a.start.begin(), current.a.start.begin() + n + 1);
  const auto nz = static_cast<std::ptrdiff_t>(o.a.start.back());
  o.a.index.assign(current.a.index.begin(), current.a.index.begin() + nz);
  o.a.value.assign(current.a.value.begin(), current.a.value.begin() + nz);
  o.cost.assign(nn, 0.0);
  o.collo.assign(current.collo.begin(), current.collo.begin() + n);
  o.colup.assign(current.colup.begin(), current.colup.begin() + n);
  o.rowlo = current.rowlo;
  o.rowup = current.rowup;
  for (int32_t i = 0; i < w.nrows; ++i) {
    o.rowlo[static_cast<size_t>(i)] = current.collo[static_cast<size_t>(w.slack(i))];
    o.rowup[static_cast<size_t>(i)] = current.colup[static_cast<size_t>(w.slack(i))];
  }
  return o;
}

void collect_items(WorkModel &w) {
  w.items.clear();
  for (int32_t i = 0; i < w.nrows; ++i) {
    const size_t k = static_cast<size_t>(w.slack(i));
    if (w.tight_lo[k] > w.base_lo[k] || w.tight_up[k] < w.base_up[k]) w.items.push_back({Item::Row, i});
  }
  for (int32_t j = 0; j < w.ncols; ++j) {
    const size_t k = static_cast<size_t>(j);
    if (w.tight_lo[k] > w.base_lo[k]) w.items.push_back({Item::Lower, j});
    if (w.tight_up[k] < w.base_up[k]) w.items.push_back({Item::Upper, j});
  }
}

double bound_lo(const WorkModel &w, int32_t var, bool relaxed) {
  const size_t k = static_cast<size_t>(var);
  return relaxed ? w.base_lo[k] : w.tight_lo[k];
}

double bound_up(const WorkModel &w, int32_t var, bool relaxed) {
  const size_t k = static_cast<size_t>(var);
  return relaxed ? w.base_up[k] : w.tight_up[k];
}

void reduced_values(const lp::CscMatrix &a, const std::vector<double> &y, std::vector<double> &z,
                    std::vector<double> &mag) {
  z.assign(static_cast<size_t>(a.n), 0.0);
  mag.assign(static_cast<size_t>(a.n), 0.0);
  for (int32_t k = 0; k < a.n; ++k) {
    double sum = 0.0, m = 0.0;
    for (int32_t p = a.start[static_cast<size_t>(k)]; p < a.start[static_cast<size_t>(k) + 1]; ++p) {
      const double t = a.value[static_cast<size_t>(p)] * y[static_cast<size_t>(a.index[static_cast<size_t>(p)])];
      sum += t;
      m += std::fabs(t);
    }
    z[static_cast<size_t>(k)] = sum;
    mag[static_cast<size_t>(k)] = m;
  }
}

bool negligible(double z, double mag) { return z == 0.0 || std::fabs(z) <= kNegligibleRel * mag; }

void ray_sides(const WorkModel &w, const std::vector<double> &ray, std::vector<char> &uses_lo,
               std::vector<char> &uses_up) {
  std::vector<double> z, mag;
  reduced_values(w.lp.a, ray, z, mag);
  uses_lo.assign(z.size(), 0);
  uses_up.assign(z.size(), 0);
  for (size_t k = 0; k < z.size(); ++k) {
    if (negligible(z[k], mag[k])) continue;
    if (z[k] > 0) uses_up[k] = 1;
    else uses_lo[k] = 1;
  }
}

}  // namespace tvl::conflict
