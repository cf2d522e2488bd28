#include "app/globals.h"

namespace tessara {
bool Starting = true;
}
