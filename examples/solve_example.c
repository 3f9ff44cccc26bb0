/*
 * solve_example.c -- build a small LP, solve it, change a bound, solve again.
 *
 *     maximise   5 x + 4 y + 3 z
 *     subject to 2 x + 3 y +   z <=  5      (row "r1")
 *                4 x +   y + 2 z <= 11      (row "r2")
 *                3 x + 4 y + 2 z <=  8      (row "r3")
 *                x, y, z >= 0
 *
 * The optimum is x = 2, y = 0, z = 1 with objective 13.  Then the upper
 * bound of x becomes 1 and the problem is solved again, starting from the
 * basis of the first solve: x = 1, z = 2.5, objective 12.5.
 *
 * Build it against the installed library, e.g.
 *     cc solve_example.c $(pkg-config --cflags --libs tavlo)
 * Exits with 0 when both solves end optimal with the expected objectives.
 */
#include <stdio.h>

#include "tavlo.h"

#define NCOLS 3
#define NROWS 3

/* Solves the problem and prints status, objective and solution. */
static int solve_and_print(TVLENVptr env, TVLLPptr lp, double expected) {
  double x[NCOLS], pi[NROWS], slack[NROWS];
  double objval = 0.0;
  int lpstat = 0;
  char statname[TVL_MSGBUFSIZE];
  char *colname[NCOLS];
  char namestore[64];
  int surplus = 0;

  int status = TVLlpopt(env, lp);
  if (status) return status;
  status = TVLsolution(env, lp, &lpstat, &objval, x, pi, slack, NULL);
  if (status) return status;
  status = TVLgetcolname(env, lp, colname, namestore, sizeof namestore, &surplus, 0, NCOLS - 1);
  if (status) return status;

  printf("Solution status: %s\n", TVLgetstatstring(env, lpstat, statname));
  printf("Objective value: %g\n", objval);
  for (int j = 0; j < NCOLS; ++j) printf("  %s = %g\n", colname[j], x[j]);
  for (int i = 0; i < NROWS; ++i) printf("  row %d: slack %g, dual %g\n", i, slack[i], pi[i]);
  printf("Iterations: %d\n\n", TVLgetitcnt(env, lp));

  double gap = objval > expected ? objval - expected : expected - objval;
  if (lpstat != TVL_STAT_OPTIMAL || gap > 1e-6) {
    fprintf(stderr, "expected an optimal objective of %g\n", expected);
    return -1;
  }
  return 0;
}

int main(void) {
  int status = 0;
  TVLENVptr env = TVLopenTAVLO(&status);
  if (!env) {
    fprintf(stderr, "could not open the library, status %d\n", status);
    return 1;
  }
  /* Messages of the library (errors, warnings, results) to standard output. */
  TVLsetintparam(env, TVL_PARAM_SCRIND, 1);

  TVLLPptr lp = TVLcreateprob(env, &status, "solve_example");
  if (lp) {
    /* The matrix by columns: column j holds matind/matval[matbeg[j] ..
     * matbeg[j] + matcnt[j] - 1]. */
    double obj[NCOLS] = {5.0, 4.0, 3.0};
    double lb[NCOLS] = {0.0, 0.0, 0.0};
    double ub[NCOLS] = {TVL_INFBOUND, TVL_INFBOUND, TVL_INFBOUND};
    double rhs[NROWS] = {5.0, 11.0, 8.0};
    char sense[NROWS] = {'L', 'L', 'L'};
    int matbeg[NCOLS] = {0, 3, 6};
    int matcnt[NCOLS] = {3, 3, 3};
    int matind[9] = {0, 1, 2, 0, 1, 2, 0, 1, 2};
    double matval[9] = {2.0, 4.0, 3.0, 3.0, 1.0, 4.0, 1.0, 2.0, 2.0};
    char *colnames[NCOLS] = {"x", "y", "z"};
    char *rownames[NROWS] = {"r1", "r2", "r3"};
    status = TVLcopylpwnames(env, lp, NCOLS, NROWS, TVL_MAX, obj, rhs, sense, matbeg, matcnt, matind, matval,
                             lb, ub, NULL, colnames, rownames);
  }
  if (!status) status = solve_and_print(env, lp, 13.0);

  if (!status) {
    /* Upper bound of x ('U') to 1, then solve again. */
    int index = 0;
    char which = 'U';
    double bound = 1.0;
    printf("Changing the upper bound of x to 1.\n");
    status = TVLchgbds(env, lp, 1, &index, &which, &bound);
  }
  if (!status) status = solve_and_print(env, lp, 12.5);

  TVLfreeprob(env, &lp);
  TVLcloseTAVLO(&env);
  return status == 0 ? 0 : 1;
}
