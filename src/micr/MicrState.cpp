#include "micr/MicrState.h"

MicrState& ProcessMicrState()
{
    static MicrState state;
    return state;
}
