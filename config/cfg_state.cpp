#include "config/cfg_state.h"

CfgState cfg_state;

void ResetCfgState() { cfg_state = CfgState{}; }
