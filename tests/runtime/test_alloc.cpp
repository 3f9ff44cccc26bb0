#include <gtest/gtest.h>

#include <cstring>

#include "tavlo.h"

TEST(Allocator, ZeroSizeIsServedAndReallocKeepsContents) {
  void *p = TVLmalloc(0);
  ASSERT_NE(p, nullptr);
  TVLfree(p);
  char *q = static_cast<char *>(TVLmalloc(4));
  std::memcpy(q, "abc", 4);
  q = static_cast<char *>(TVLrealloc(q, 4096));
  EXPECT_STREQ(q, "abc");
  TVLfree(q);
}
