// LP reader entry point: parse the whole file, then load it.
#include "files/lpformat.h"
#include "files/lpread_diag.h"
#include "files/lpread_lex.h"
#include "files/lpread_load.h"
#include "files/lpread_parse.h"
#include "files/mps_image.h"

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
  // Loaded into a scratch problem first, so that a part refused by its
  // loader leaves the problem as it was.
  return replace_content(env, lp, nullptr, [&](tvllp *tmp) { return lp_load_model(env, tmp, model); });
}

}  // namespace tvl
