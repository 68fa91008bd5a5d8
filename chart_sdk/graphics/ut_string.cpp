// String helper of the chart libraries: a bounded copy that always ends the
// copied text with a NUL, unlike strncpy.
#include "chart_sdk/graphics/ut_string.h"

void ut_strncpy(char* dst, const char* src, int n)
{
    if (n <= 0) {
        return;
    }
    int i = 0;
    for (; i < n && src[i] != '\0'; ++i) {
        dst[i] = src[i];
    }
    dst[i] = '\0';
}
