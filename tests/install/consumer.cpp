// An outside program built against the installed library only.
#include <tavlo.h>

#include <cstdio>

int main() {
  int status = 0;
  TVLENVptr env = TVLopenTAVLO(&status);
  if (!env || status) return 1;
  char buf[TVL_MSGBUFSIZE];
  if (!TVLgeterrorstring(env, TVLERR_OUT_OF_MEMORY, buf)) return 2;
  std::printf("%s %s", TVLversion(env), buf);
  return TVLcloseTAVLO(&env);
}
