#include "base/globals.h"

namespace tessara {
bool Starting = true;
}
