/*
 * problem_example.c -- building, changing and reading back a problem.
 *
 * Builds the LP
 *     maximise   x + 2y + 3z
 *     subject to  x +  y +  z <= 10      (row "cap")
 *                 x       -  z >= -2     (row "bal")
 *                 0 <= x <= 4, y >= 0, z >= 0
 * with TVLcopylpwnames, adds a column and a row, changes a coefficient,
 * deletes a row, and prints what the queries return.  Exits with 0 when
 * every call succeeded and the data read back is as expected.
 */
#include <stdio.h>
#include <string.h>

#include "tavlo.h"

static int failures = 0;

static void check(int ok, const char *what) {
  if (!ok) {
    fprintf(stderr, "FAILED: %s\n", what);
    ++failures;
  }
}

/* Error messages of the library arrive here. */
static void show_error(void *handle, const char *msg) {
  (void)handle;
  fputs(msg, stderr);
}

int main(void) {
  int status = 0;
  TVLENVptr env = TVLopenTAVLO(&status);
  if (!env) return 1;
  TVLCHANNELptr errchan = NULL;
  TVLgetchannels(env, NULL, NULL, &errchan, NULL);
  TVLaddfuncdest(env, errchan, NULL, show_error);
  TVLsetintparam(env, TVL_PARAM_DATACHECK, 1); /* check every argument */

  TVLLPptr lp = TVLcreateprob(env, &status, "example");
  check(lp != NULL, "TVLcreateprob");

  /* Column-wise matrix: column j holds matind/matval[matbeg[j] .. +matcnt[j]-1]. */
  double obj[] = {1.0, 2.0, 3.0};
  double lb[] = {0.0, 0.0, 0.0};
  double ub[] = {4.0, TVL_INFBOUND, TVL_INFBOUND};
  double rhs[] = {10.0, -2.0};
  char sense[] = {'L', 'G'};
  int matbeg[] = {0, 2, 3};
  int matcnt[] = {2, 1, 2};
  int matind[] = {0, 1, 0, 0, 1};
  double matval[] = {1.0, 1.0, 1.0, 1.0, -1.0};
  char *colname[] = {"x", "y", "z"};
  char *rowname[] = {"cap", "bal"};
  status = TVLcopylpwnames(env, lp, 3, 2, TVL_MAX, obj, rhs, sense, matbeg, matcnt, matind, matval, lb, ub,
                           NULL, colname, rowname);
  check(status == 0, "TVLcopylpwnames");

  /* A new column w (objective 1, in row "cap" with coefficient 2) ... */
  double wobj = 1.0;
  int wbeg = 0, wind = 0;
  double wval = 2.0;
  char *wname[] = {"w"};
  check(TVLaddcols(env, lp, 1, 1, &wobj, &wbeg, &wind, &wval, NULL, NULL, wname) == 0, "TVLaddcols");

  /* ... and a new row y + w <= 5, given row-wise. */
  double rrhs = 5.0;
  char rsense = 'L';
  int rbeg = 0;
  int rind[] = {1, 3};
  double rval[] = {1.0, 1.0};
  char *rname[] = {"pair"};
  check(TVLaddrows(env, lp, 0, 1, 2, &rrhs, &rsense, &rbeg, rind, rval, NULL, rname) == 0, "TVLaddrows");

  /* Change one coefficient and one bound. */
  check(TVLchgcoef(env, lp, 1, 1, 0.5) == 0, "TVLchgcoef");
  int j = 1;
  char lu = 'U';
  double bd = 8.0;
  check(TVLchgbds(env, lp, 1, &j, &lu, &bd) == 0, "TVLchgbds");

  printf("rows %d, columns %d, nonzeros %d\n", TVLgetnumrows(env, lp), TVLgetnumcols(env, lp),
         TVLgetnumnz(env, lp));
  check(TVLgetnumrows(env, lp) == 3 && TVLgetnumcols(env, lp) == 4 && TVLgetnumnz(env, lp) == 9, "counts");

  /* Read row "pair" back: first ask for the size, then fetch. */
  int index = -1;
  check(TVLgetrowindex(env, lp, "pair", &index) == 0 && index == 2, "TVLgetrowindex");
  int nzcnt = 0, surplus = 0, beg[1];
  int ind[8];
  double val[8];
  status = TVLgetrows(env, lp, &nzcnt, beg, ind, val, 0, &surplus, index, index);
  check(status == TVLERR_INSUFFICIENT_ARRAY_LENGTH && surplus == -2, "size request");
  status = TVLgetrows(env, lp, &nzcnt, beg, ind, val, -surplus, &surplus, index, index);
  check(status == 0 && nzcnt == 2, "TVLgetrows");
  for (int k = 0; k < nzcnt; ++k) printf("  pair: column %d coefficient %g\n", ind[k], val[k]);

  /* Delete row "bal" with a delete set; delstat returns the new indices. */
  int delstat[] = {0, 1, 0};
  check(TVLdelsetrows(env, lp, delstat) == 0, "TVLdelsetrows");
  check(delstat[0] == 0 && delstat[1] == -1 && delstat[2] == 1, "delstat");

  /* Names of all rows in one buffer. */
  char *names[2];
  char store[32];
  check(TVLgetrowname(env, lp, names, store, sizeof store, &surplus, 0, 1) == 0, "TVLgetrowname");
  printf("rows now: %s %s\n", names[0], names[1]);
  check(strcmp(names[0], "cap") == 0 && strcmp(names[1], "pair") == 0, "row names");

  double x[4];
  check(TVLgetobj(env, lp, x, 0, 3) == 0 && x[3] == 1.0, "TVLgetobj");
  /* A bad range is refused with a message naming the function. */
  check(TVLgetobj(env, lp, x, 0, 9) == TVLERR_INDEX_IS_OUTSIDE_RANGE_OF_VALID_VALUES, "range check");

  TVLfreeprob(env, &lp);
  TVLcloseTAVLO(&env);
  printf("%s\n", failures ? "example failed" : "example done");
  return failures ? 1 : 0;
}
