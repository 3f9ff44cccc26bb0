// LP reader entry point: parse the whole file, then load it.
#include "files/lpformat.h"
#include "files/lpread_diag.h"
#include "files/lpread_lex.h"
#include "files/lpread_load.h"
#include "files/lpread_parse.h"

namespace tvl {

int lp_read(tvlenv *env, tvllp *lp, FILE *f, const char *) {
  LpDiag diag(env);
  LpLineReader lines(f, diag);
  LpTokenStream ts(lines, diag);
  LpFileModel model;
  LpParser parser(ts, diag, model);
  int st = parser.run();
  diag.finish();
  if (st != 0) return st;
  return lp_load_model(env, lp, model);
}

}  // namespace tvl
