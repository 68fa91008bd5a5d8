// String helper of the chart libraries.
#pragma once

// Copies at most n characters of the NUL-terminated src to dst, stopping
// after the first NUL of src, and always writes a terminating NUL after the
// characters copied (so up to n + 1 bytes are written). n of 0 or less
// writes nothing.
void ut_strncpy(char* dst, const char* src, int n);
