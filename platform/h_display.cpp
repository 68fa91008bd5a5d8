// The display hardware abstraction over the LCD driver (see h_display.h).
#include "platform/h_display.h"

#include "platform/dd_lcd.h"

void H_DISPLAY_vInitScreen(MBOX /*mboxCaller*/)
{
    DD_LCD_vInit();
    DD_LCD_vDisplayPowerOn();
}

void H_DISPLAY_vDisplayBitmap(const BITMAP* pBitmap)
{
    if (pBitmap != nullptr)
        DD_LCD_vDisplayScreen(pBitmap->pBuffer);
}

U32* H_DISPLAY_pu32GetDisplayBuffer(void)
{
    return DD_LCD_pu32GetDisplayBuffer();
}

void H_DISPLAY_vFreeDisplayBuffer(const U32* pu32Page)
{
    DD_LCD_vFreeDisplayBuffer(pu32Page);
}

SCREEN_BUFFER* H_DISPLAY_psbGetFrameBufferPointer(void)
{
    return reinterpret_cast<SCREEN_BUFFER*>(DD_LCD_pu32GetFrameBufferPointer());
}

void H_DISPLAY_vScreenDump(SCREEN_BUFFER* psbBuffer)
{
    DD_LCD_vScreenDump(reinterpret_cast<U32*>(psbBuffer));
}

void H_DISPLAY_vPowerDown(void)
{
    DD_LCD_vCLS();
    DD_LCD_vDisplayOff();
    DD_LCD_vDisplayPowerOff();
    DD_LCD_vLCDPowerOff();
}
