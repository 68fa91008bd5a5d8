// Running median filter.
//
// Window 3 and 5 take the median of each neighbourhood by comparisons;
// window 7 keeps the window sorted and swaps one sample per step; any other
// window counts its values in a 256-entry histogram. The first and last
// samples pad the window at the ends, so a constant line stays constant.
// Lines too short for the fixed windows' edge rules (under 2 samples for
// window 3, under 5 for window 5) use the histogram method, which never
// reads outside the line.
#include "util/u_median.h"

#include <algorithm>
#include <iterator>

namespace {

constexpr S32 kWindow7 = 7;

U32 u32FastMedian3(U32 a, U32 b, U32 c)
{
    if (a > b) {
        std::swap(a, b);
    }
    // a <= b: the median is b bounded below by a and above by c.
    if (c >= b) {
        return b;
    }
    return c > a ? c : a;
}

U32 u32FastMedian5(U32 a, U32 b, U32 c, U32 d, U32 e)
{
    // Order the pairs (a, b) and (c, d), then drop the smaller of the two
    // minima: it is below three others and cannot be the median.
    if (a > b) {
        std::swap(a, b);
    }
    if (c > d) {
        std::swap(c, d);
    }
    if (a > c) {
        std::swap(a, c);
        std::swap(b, d);
    }
    // a is out; the median of the five is the second smallest of b, c, d, e
    // where c <= d.
    if (b > e) {
        std::swap(b, e);
    }
    // b <= e, c <= d; drop the smaller of b and c.
    if (b > c) {
        std::swap(b, c);
        std::swap(e, d);
    }
    // b is out; the median is the smaller of c and e.
    return c < e ? c : e;
}

void filterHistogram(const U8* d, U8* out, U32 n, U32 window)
{
    // Kept on the stack so that the filter may run in several tasks at once.
    U64 histogram[256];
    const S64 half = window / 2;
    const S64 last = static_cast<S64>(n) - 1;
    // A window of 0 would ask for a count of 0 and give 0: it is taken as 1.
    const U64 needed = std::max<U64>(1, (static_cast<U64>(window) + 1) / 2);
    for (S64 i = 0; i <= last; ++i) {
        std::fill(std::begin(histogram), std::end(histogram), 0);
        // Window places before the start count the current sample, places
        // past the end the last one.
        histogram[d[i]] += static_cast<U64>(std::max<S64>(0, half - i));
        histogram[d[last]] += static_cast<U64>(std::max<S64>(0, i + half - last));
        for (S64 j = std::max<S64>(0, i - half); j <= std::min(last, i + half); ++j) {
            ++histogram[d[j]];
        }
        U64 total = 0;
        U32 value = 0;
        for (; value < 255; ++value) {
            total += histogram[value];
            if (total >= needed) {
                break;
            }
        }
        out[i] = static_cast<U8>(value);
    }
}

void filter3(const U8* d, U8* out, U32 n)
{
    out[0] = d[0];
    for (U32 i = 1; i + 1 < n; ++i) {
        out[i] = static_cast<U8>(u32FastMedian3(d[i - 1], d[i], d[i + 1]));
    }
    out[n - 1] = d[n - 1];
}

void filter5(const U8* d, U8* out, U32 n)
{
    out[0] = d[0];
    out[1] = static_cast<U8>(u32FastMedian5(d[0], d[0], d[1], d[2], d[3]));
    for (U32 i = 2; i + 2 < n; ++i) {
        out[i] = static_cast<U8>(u32FastMedian5(d[i - 2], d[i - 1], d[i], d[i + 1], d[i + 2]));
    }
    out[n - 2] = static_cast<U8>(u32FastMedian5(d[n - 4], d[n - 3], d[n - 2], d[n - 1], d[n - 1]));
    out[n - 1] = d[n - 1];
}

void filter7(const U8* d, U8* out, U32 n)
{
    S32 index[kWindow7];
    U8 data[kWindow7];
    // The samples before the start count as d[0], with indices -3..-1.
    S32 count = 0;
    for (S32 k = -3; k <= 3; ++k) {
        U_MEDIAN_vInsert7(index, data, count++, k, d[k < 0 ? 0 : k]);
    }
    out[0] = data[3];
    for (U32 i = 1; i < n; ++i) {
        S32 in = static_cast<S32>(i) + 3;
        U8 value = in < static_cast<S32>(n) ? d[in] : d[n - 1];
        U_MEDIAN_vReplace7(index, data, static_cast<S32>(i) - 4, in, value);
        out[i] = data[3];
    }
}

} // namespace

void U_MEDIAN_vInsert7(S32* pnSortedIndex, U8* pu8SortedData, S32 nCount, S32 nIndexIn, U8 u8DataIn)
{
    S32 pos = nCount;
    while (pos > 0 && pu8SortedData[pos - 1] >= u8DataIn) {
        pu8SortedData[pos] = pu8SortedData[pos - 1];
        pnSortedIndex[pos] = pnSortedIndex[pos - 1];
        --pos;
    }
    pu8SortedData[pos] = u8DataIn;
    pnSortedIndex[pos] = nIndexIn;
}

void U_MEDIAN_vReplace7(S32* pnSortedIndex, U8* pu8SortedData, S32 nIndexOut, S32 nIndexIn, U8 u8DataIn)
{
    S32 out = 0;
    while (out < kWindow7 - 1 && pnSortedIndex[out] != nIndexOut) {
        ++out;
    }
    // Close the gap of the removed entry, then open one before the first
    // entry not smaller than the new value.
    for (S32 k = out; k < kWindow7 - 1; ++k) {
        pu8SortedData[k] = pu8SortedData[k + 1];
        pnSortedIndex[k] = pnSortedIndex[k + 1];
    }
    U_MEDIAN_vInsert7(pnSortedIndex, pu8SortedData, kWindow7 - 1, nIndexIn, u8DataIn);
}

void U_MEDIAN_vFilter(const U8* pu8Data, U8* pu8Filtered, const U32 u32DataLength, const U32 u32FilterLength)
{
    const U32 n = u32DataLength;
    if (n == 0) {
        return;
    }
    switch (u32FilterLength) {
    case 3:
        if (n >= 2) {
            filter3(pu8Data, pu8Filtered, n);
            return;
        }
        break;
    case 5:
        if (n >= 5) {
            filter5(pu8Data, pu8Filtered, n);
            return;
        }
        break;
    case 7:
        if (n >= 7) {
            filter7(pu8Data, pu8Filtered, n);
        }
        return;
    default:
        break;
    }
    filterHistogram(pu8Data, pu8Filtered, n, u32FilterLength);
}
