/* The public header must compile on its own as C99. */
#include "drovane.h"

int drovane_header_compiles_as_c(void) { return (int)sizeof(DRO_Window); }
