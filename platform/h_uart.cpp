// Serial-port abstraction. The modes map to the driver's two direction
// switches; a received character travels upward as a 16-bit value whose
// high byte (receive status) is always 0 on this board.
#include "platform/h_uart.h"

#include "platform/dd_uart.h"

U32 H_UART_u32CharacterTime(U32 u32Baud)
{
    U32 charsPerSecond = u32Baud / 10;
    return charsPerSecond ? 1000000 / charsPerSecond : 0;
}

U32 H_UART_u32Setup(U8 u8Port, U32 u32Baud, BOOLEAN)
{
    DD_UART_vInit(u8Port);
    if (u32Baud != 0)
        DD_UART_vChangeBaudRate(u8Port, u32Baud);
    DD_UART_vTxRxEnable(u8Port, FALSE, TRUE);
    return H_UART_u32CharacterTime(u32Baud);
}

U32 H_UART_u32SetBaudRate(U8 u8Port, U32 u32Baud)
{
    if (u32Baud == 0)
        return 0;
    DD_UART_vChangeBaudRate(u8Port, u32Baud);
    return H_UART_u32CharacterTime(u32Baud);
}

void H_UART_vSetMode(U8 u8Port, UART_MODE eMode)
{
    switch (eMode) {
    case UART_OFF:
        DD_UART_vTxRxEnable(u8Port, FALSE, FALSE);
        break;
    case UART_HALF_DUPLEX_RECEIVE:
        DD_UART_vTxRxEnable(u8Port, FALSE, TRUE);
        break;
    case UART_HALF_DUPLEX_TRANSMIT:
        DD_UART_vTxRxEnable(u8Port, TRUE, FALSE);
        break;
    case UART_FULL_DUPLEX:
        DD_UART_vTxRxEnable(u8Port, TRUE, TRUE);
        break;
    default:
        break;
    }
}

void H_UART_vPutChar(U8 u8Port, BYTE c)
{
    while (!DD_UART_bTxBufferEmpty(u8Port)) {
    }
    DD_UART_vSendByte(u8Port, c);
}

U16 H_UART_u16FetchRx(U8 u8Port)
{
    return DD_UART_u8Getch(u8Port);
}

void H_UART_vShutdown(U8 u8Port)
{
    DD_UART_vKill(u8Port);
}
