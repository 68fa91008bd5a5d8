// The stand-in of the display controller's frame-buffer device.
//
// The frame-buffer layer reaches /dev/fb0 only through these five calls,
// which take the arguments and give the results of open, ioctl, mmap, munmap
// and close (-1 with errno on failure). Behind them the device is the file
// ROOT/dev/fb0 of platform/fb_file.h: its first 3,840,000 bytes are the
// frame-buffer memory that the mapping shows, its header records what the
// display scans out, and vondrel-view shows it.
//
// Rules of the device:
// - Opening it under a unit root creates the file when it is missing (the
//   unit always has a frame buffer): four black pages, page 0 on display.
//   A file that is there is kept as it is, pixels included, when it has the
//   layout; otherwise the open fails with ENODEV and the file is left alone.
//   Without a unit root nothing is created and only such a file is driven;
//   a real device of the workstation is never touched.
// - Geometry is fixed: 800 x 600, 16 bits RGB565, a virtual height of up to
//   four pages, no horizontal panning. A screen-information write with any
//   other geometry or pixel format fails with EINVAL and changes nothing.
// - FBIOPAN_DISPLAY records the y offset (and the page it starts) in the
//   header and counts the pan. FBIO_WAITFORVSYNC returns at the next tick of
//   a 60 Hz clock on CLOCK_MONOTONIC and counts the sync; a signal ends the
//   wait early with EINTR, as the driver's wait does.
// - The omapfb colour-key requests keep the key record and write it into the
//   header; nothing here applies it to the picture.
// - Every open descriptor drives the one device; its screen information
//   lives from the first open until the last close.
#pragma once

#include "kernel/l_types.h"

#include <sys/types.h>

int FBDEV_s32Open(const char* pcUnitPath, int flags);
int FBDEV_s32Ioctl(int fd, unsigned long request, void* arg);
void* FBDEV_pvMap(void* addr, size_t length, int prot, int flags, int fd, off_t offset);
int FBDEV_s32Unmap(void* addr, size_t length);
int FBDEV_s32Close(int fd);

// Knobs of the stand-in for tests and benchmarks.
// Vertical syncs per second; 0 lets the wait return at once (default 60).
void FBDEV_vSetVsyncRate(U32 u32PerSecond);
// The next u32Count requests of the given kind fail with errno err.
void FBDEV_vFailRequests(unsigned long request, U32 u32Count, int err);
