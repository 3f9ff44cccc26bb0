// Internal channel operations shared by the environment and the parameter
// side effects (screen output adds standard output to three channels).
#pragma once

#include <cstdio>

#include "frame/env.h"

namespace tvl {

tvlchannel *channel_create();
void channel_disconnect(tvlchannel *ch);     // flushes streams, frees every destination
void channel_destroy(tvlchannel *&ch);       // disconnects and frees; clears the reference
bool channel_has_stream(const tvlchannel *ch, FILE *fp);
int channel_add_stream(tvlchannel *ch, FILE *fp);     // inserted at the head; 1051/1052/1001
int channel_remove_stream(tvlchannel *ch, FILE *fp);  // first match in list order; 1051/1052

}  // namespace tvl
