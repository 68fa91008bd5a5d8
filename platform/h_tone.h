// The beeper: a tone sounds from H_TONE_vStartTone until H_TONE_vStopTone.
// The device opens at the first tone and closes at every stop; the tone
// task times the tones and is the only caller.
#pragma once

#include "kernel/l_types.h"

void H_TONE_vInit(void);
void H_TONE_vStartTone(float fFrequency);
void H_TONE_vStopTone(void);
