// Field access on structures and class objects, and the vector
// conversions, on the stand-alone host.
#include <cstring>

#include "gateway_fixture.h"

namespace gateway {
namespace {

TEST_F(GatewayTest, FieldsOfStructuresAndPropertiesOfObjects) {
  // Structure: setField adds, replaces (destroying the old value) and
  // stores further elements; getField borrows and hides empty values.
  const char* names[] = {"a"};
  Value* s = host.createStructMatrix(2, 1, 1, names);
  EXPECT_EQ(setField(host, s, "a", host.createDoubleScalar(1), 0), 0);
  EXPECT_EQ(setField(host, s, "a", host.createDoubleScalar(2), 0), 0);
  EXPECT_EQ(setField(host, s, "b", host.createDoubleMatrix(0, 0), 0), 0);
  EXPECT_EQ(setField(host, s, "a", host.createDoubleScalar(3), 1), 0);
  EXPECT_TRUE(hasField(host, s, "b"));
  EXPECT_EQ(*host.getPr(getField(host, s, "a", 0, false).get()), 2);
  EXPECT_EQ(*host.getPr(getField(host, s, "a", 1, false).get()), 3);
  EXPECT_FALSE(getField(host, s, "b", 0, false));
  EXPECT_TRUE(getField(host, s, "b", 0, true));
  EXPECT_FALSE(getField(host, s, "c", 0, true));
  delField(host, s, "a");
  EXPECT_FALSE(hasField(host, s, "a"));
  delete s;

  // Class object: through findprop/getfield/setfield; a property removed
  // with delete is gone.
  EXPECT_TRUE(hasField(host, object, "Solution"));
  EXPECT_FALSE(hasField(host, object, "Nothing"));
  EXPECT_EQ(setField(host, object, "Solution", host.createDoubleScalar(7), 0), 0);
  EXPECT_EQ(*host.getPr(getField(host, object, "Solution", 0, false).get()), 7);
  EXPECT_FALSE(getField(host, object, "Nothing", 0, true));
  EXPECT_EQ(setField(host, object, "Nothing", host.createDoubleScalar(1), 0), 1001);
  delField(host, object, "Solution");
  EXPECT_FALSE(hasField(host, object, "Solution"));
  EXPECT_FALSE(getProperty(host, object, "Param"));  // empty reads as missing
  EXPECT_EQ(getTavlo(host, handle()), nullptr);
}

TEST_F(GatewayTest, VectorConversionsOfDenseSparseAndIntegerArrays) {
  ValueGuard row(host.createDoubleVector({1.5, -2.7, 3}, false));
  EXPECT_EQ(createmxVector(host, row.v), (std::vector<double>{1.5, -2.7, 3}));
  EXPECT_EQ(createmxVectori(host, row.v), (std::vector<int>{1, -2, 3}));
  EXPECT_EQ(notVlenEqual(host, row.v, 3), 0);
  EXPECT_EQ(notVlenEqual(host, row.v, 4), 10013);

  // Sparse 4-by-1 column with entries in rows 1 and 3; its 1-by-4 twin.
  ValueGuard col(host.createSparse(4, 1, 2));
  host.getIr(col.v)[0] = 1, host.getIr(col.v)[1] = 3;
  host.getJc(col.v)[1] = 2;
  host.getPr(col.v)[0] = 5, host.getPr(col.v)[1] = 6.9;
  EXPECT_EQ(createmxVector(host, col.v), (std::vector<double>{0, 5, 0, 6.9}));
  EXPECT_EQ(createmxVectori(host, col.v), (std::vector<int>{0, 5, 0, 6}));
  ValueGuard sparseRow(host.createSparse(1, 4, 1));
  Index* jc = host.getJc(sparseRow.v);
  jc[0] = jc[1] = jc[2] = 0, jc[3] = jc[4] = 1;
  host.getPr(sparseRow.v)[0] = 8;
  EXPECT_EQ(createmxVector(host, sparseRow.v), (std::vector<double>{0, 0, 8, 0}));
  ValueGuard matrix(host.createSparse(2, 2, 1));
  host.getJc(matrix.v)[1] = host.getJc(matrix.v)[2] = 1;
  host.getPr(matrix.v)[0] = 4;
  EXPECT_EQ(createmxVector(host, matrix.v), (std::vector<double>{0, 0}));

  const std::size_t dims[2] = {2, 1};
  ValueGuard i64(host.createNumericArray(2, dims, kInt64Class));
  const std::int64_t words[2] = {-4, 9};
  std::memcpy(host.getData(i64.v), words, sizeof words);
  EXPECT_EQ(createmxVectori(host, i64.v), (std::vector<int>{-4, 9}));
  ValueGuard i32(host.createInt32Scalar(11));
  EXPECT_EQ(createmxVectori(host, i32.v), std::vector<int>{11});

  ValueGuard empty(host.createDoubleMatrix(0, 0));
  EXPECT_FALSE(createmxVector(host, empty.v));
  EXPECT_FALSE(createmxVectori(host, nullptr));

  const int consecutive[] = {4, 5, 6}, gap[] = {4, 6};
  EXPECT_TRUE(isRange(3, consecutive));
  EXPECT_TRUE(isRange(1, gap));
  EXPECT_FALSE(isRange(2, gap));

  ValueGuard address(createInt64(host, &host));
  EXPECT_EQ(getInt64(host, address.v), static_cast<void*>(&host));
}

}  // namespace
}  // namespace gateway
