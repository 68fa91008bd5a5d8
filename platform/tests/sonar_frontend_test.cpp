// Sonar front end: transmit power by depth, receiver element and band-pass
// choice by beam (an unknown beam is fatal), the bandwidth check, and the
// ADC read that must not wait for an interrupt that never comes.
#include "platform/dd_board.h"
#include "platform/dd_mute.h"
#include "platform/h_adc.h"
#include "platform/h_bpf.h"
#include "platform/h_recselect.h"
#include "platform/h_xmitpower.h"
#include "platform/tests/platform_root.h"

#include <gtest/gtest.h>

#include <string>

namespace platform_test {
namespace {

TEST(TransmitPower, MediumFromFifteenToFiftyFiveMetresInclusive)
{
    const struct {
        float depth;
        TXPOWER power;
    } cases[] = {{0.0f, TXPOWER_LOW},   {14.99f, TXPOWER_LOW}, {15.0f, TXPOWER_MED},
                 {30.0f, TXPOWER_MED},  {55.0f, TXPOWER_MED},  {55.01f, TXPOWER_HI},
                 {300.0f, TXPOWER_HI}};
    for (const auto& c : cases)
        EXPECT_EQ(H_XMITPOWER_eSelectTransmitPower(c.depth), c.power) << c.depth;
}

TEST(ReceiverSelect, ElementAndBandByBeam)
{
    const struct {
        BEAM beam;
        U32 hz;
        DD_RECSELECT_ELEMENT element;
        DD_BPF_BAND band;
    } cases[] = {
        {1, 200000, DD_RECSELECT_DUAL, DD_BPF_HIGH}, {2, 455000, DD_RECSELECT_DUAL, DD_BPF_LOW},
        {255, 0, DD_RECSELECT_DUAL, DD_BPF_HIGH},    {3, 800000, DD_RECSELECT_800KHZ, DD_BPF_LOW},
        {3, 455000, DD_RECSELECT_RIGHT, DD_BPF_LOW}, {3, 800001, DD_RECSELECT_RIGHT, DD_BPF_LOW},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << (int)c.beam << " " << c.hz);
        DD_RECSELECT_vLeftBeam(); // something the table never picks
        H_RECSELECT_vConnectElementToReceiver(c.beam, c.hz);
        EXPECT_EQ(DD_RECSELECT_eGetElement(), c.element);
        H_BPF_vSetReceiverCenterFrequency(c.beam, c.hz);
        EXPECT_EQ(DD_BPF_eGetBand(), c.band);
    }
}

TEST(ReceiverSelect, UnknownBeamIsFatal)
{
    unitRoot();
    for (BEAM beam : {0, 4, 254}) {
        SCOPED_TRACE((int)beam);
        EXPECT_EXIT(H_RECSELECT_vConnectElementToReceiver(beam, 800000), ::testing::ExitedWithCode(10), "");
        EXPECT_NE(fatalLog().find("error: Invalid beam in ./Working/SOURCE/h_recselect at"), std::string::npos);
        EXPECT_EXIT(H_BPF_vSetReceiverCenterFrequency(beam, 200000), ::testing::ExitedWithCode(10), "");
        EXPECT_NE(fatalLog().find("error: Invalid beam in ./Working/SOURCE/h_bpf at"), std::string::npos);
    }
}

TEST(Bandwidth, AboveThreeIsFatalAlsoWhenRestored)
{
    unitRoot();
    for (U8 control = 0; control <= 3; ++control)
        DD_MUTE_vSetBandwidth(control);
    DD_MUTE_vRequestBandwidth(2);
    DD_PING_vRestoreBandwidth();
    EXPECT_EXIT(DD_MUTE_vSetBandwidth(4), ::testing::ExitedWithCode(10), "");
    EXPECT_NE(fatalLog().find("error: Invalid bandwidth"), std::string::npos);
    DD_MUTE_vRequestBandwidth(200); // stored unchecked, refused when applied
    EXPECT_EXIT(DD_PING_vRestoreBandwidth(), ::testing::ExitedWithCode(10), "");
}

TEST(Adc, ReadReturnsTheDriverValueWithoutWaiting)
{
    EXPECT_EQ(H_ADC_u16Read(0), 0);
    EXPECT_EQ(H_ADC_u16Read(7), 0);
}

} // namespace
} // namespace platform_test
