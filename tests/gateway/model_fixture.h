// The solver object of GatewayTest with a Start property, a host `delete`
// that empties a property as Octave does, and helpers to build a Model,
// run commands and read the Solution back.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "gateway_fixture.h"
#include "values.h"

namespace gateway {

class ModelTest : public GatewayTest {
 protected:
  void SetUp() override {
    GatewayTest::SetUp();
    host.setProperty(object, "Start", host.createStructMatrix(1, 1, 0, nullptr));
    // As in the Octave realisation, a removed property is left empty: class
    // objects there neither lose nor gain properties.
    host.define("delete", [](StandaloneHost& h, int, Value**, int nin, Value** in) {
      if (nin != 1 || !in[0]->propOwner) return 1;
      for (auto& [name, value] : in[0]->propOwner->props)
        if (name == in[0]->propName) delete value, value = h.createDoubleMatrix(0, 0);
      return 0;
    });
    construct();
  }

  // Model fields of the solver object (replaced or added; value taken over).
  void setModel(const char* name, Value* v) {
    Value* model = StandaloneHost::property(object, "Model");
    ASSERT_EQ(setField(host, model, name, v, 0), 0);
  }

  Value* dense(std::size_t m, std::size_t n, const std::vector<double>& columnMajor) {
    Value* v = host.createDoubleMatrix(m, n);
    std::copy(columnMajor.begin(), columnMajor.end(), host.getPr(v));
    return v;
  }

  Value* sparseOf(std::size_t m, std::size_t n, const std::vector<double>& columnMajor) {
    std::size_t nz = 0;
    for (double x : columnMajor) nz += x != 0.0;
    Value* v = host.createSparse(m, n, nz);
    std::size_t k = 0;
    for (std::size_t j = 0; j < n; ++j) {
      for (std::size_t i = 0; i < m; ++i)
        if (double x = columnMajor[j * m + i]; x != 0.0) host.getIr(v)[k] = static_cast<Index>(i), host.getPr(v)[k++] = x;
      host.getJc(v)[j + 1] = static_cast<Index>(k);
    }
    return v;
  }

  Value* names(std::vector<const char*> rows) { return host.createCharMatrixFromStrings(rows.size(), rows.data()); }

  // The four row kinds and a free row over two columns:
  //   free: x        (-Inf, Inf)     eq: x + y = 5      rng: 1 <= y <= 3
  //   ge:   x - y >= 2               le: 2x + y <= 8
  void fiveRowModel(bool sparse) {
    const std::vector<double> a = {1, 1, 0, 1, 2, 0, 1, 1, -1, 1};
    const double inf = host.getInf();
    setModel("sense", host.createString("minimize"));
    setModel("obj", host.createDoubleVector({1, 1}));
    setModel("lb", host.createDoubleVector({-inf, 0}));
    setModel("ub", host.createDoubleVector({inf, 10}));
    setModel("A", sparse ? sparseOf(5, 2, a) : dense(5, 2, a));
    setModel("lhs", host.createDoubleVector({-inf, 5, 1, 2, -inf}));
    setModel("rhs", host.createDoubleVector({inf, 5, 3, inf, 8}));
    setModel("rowname", names({"free", "eq", "rng", "ge x", "le"}));
    setModel("colname", names({"x", "y"}));
  }

  void run(const char* command, std::vector<Value*> args = {}) {
    Outcome o = call(command, std::move(args));
    EXPECT_EQ(o.error, "") << command;
    release(o);
  }

  std::string rowName(int i) {
    char* name = nullptr;
    char store[64];
    int surplus = 0;
    return TVLgetrowname(tavlo()->env, tavlo()->lp, &name, store, sizeof store, &surplus, i, i) == 0 ? name : "";
  }

  std::vector<double> problemVector(int (*get)(TVLCENVptr, TVLCLPptr, double*, int, int), int count) {
    std::vector<double> x(static_cast<std::size_t>(count));
    EXPECT_EQ(get(tavlo()->env, tavlo()->lp, x.data(), 0, count - 1), 0);
    return x;
  }

  const Value* solution() { return StandaloneHost::property(object, "Solution"); }
  // A field of a structure (borrowed), or null.
  const Value* fieldOf(const Value* s, const char* name) {
    const int f = s ? host.getFieldNumber(s, name) : -1;
    return f < 0 ? nullptr : host.getFieldByNumber(s, 0, f);
  }
  const Value* solutionField(const char* name) { return fieldOf(solution(), name); }
};

}  // namespace gateway
