// This effect library answers the plug-in interface once its effects are written; until
// then it exports nothing and the effect host lists no effects from it.
#include "plugins/common/EffectExport.h"
