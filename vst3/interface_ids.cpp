// Interface identifiers that the SDK subset declares but does not define.

#include "pluginterfaces/gui/iplugview.h"

namespace Steinberg {
DEF_CLASS_IID(IPlugView)
}
