// Transmit cycles by beam, depth and transducer: the table edges, the caps,
// the low-frequency formulas in single precision, the side-view frequency
// choice, and the fatal error for a beam that does not exist.
#include "sonar/dsp/s_txcycles.h"
#include "sonar/tests/sonar_root.h"

#include "store/h_database.h"

#include <gtest/gtest.h>

namespace sonar_test {
namespace {

constexpr U32 ANY_TRANSDUCER = 1;

TEST(TransmitCycles, ByBeamDepthAndTransducer)
{
    H_DATABASE_vInit();
    const struct {
        BEAM beam;
        float depth;
        U32 lowKhz; // "CSFL"
        U32 transducer;
        U8 cycles;
    } cases[] = {
        // Low-frequency beam at 50 kHz: steps up to 60 m, then the slope, capped.
        {0, 15.0f, 50, ANY_TRANSDUCER, 2},
        {0, 15.1f, 50, ANY_TRANSDUCER, 3},
        {0, 45.0f, 50, ANY_TRANSDUCER, 5},
        {0, 60.0f, 50, ANY_TRANSDUCER, 7},
        {0, 100.0f, 50, ANY_TRANSDUCER, 10}, // trunc(7 + 40 x 0.09772727)
        {0, 600.0f, 50, ANY_TRANSDUCER, 50},
        {0, 1.0e30f, 50, ANY_TRANSDUCER, 50},
        {0, -5.0f, 50, ANY_TRANSDUCER, 2},
        // ... and at 83 kHz.
        {0, 60.0f, 83, ANY_TRANSDUCER, 8},
        {0, 100.0f, 83, ANY_TRANSDUCER, 11}, // trunc(8 + 40 x 0.08571429)
        {0, 200.0f, 83, ANY_TRANSDUCER, 20},
        {0, 300.0f, 83, ANY_TRANSDUCER, 20},
        // 200 kHz: the table by whole metres, capped by transducer.
        {1, 4.9f, 50, ANY_TRANSDUCER, 2},
        {1, 70.0f, 50, ANY_TRANSDUCER, 23},
        {1, 151.99f, 50, ANY_TRANSDUCER, 50},
        {1, 152.9f, 50, ANY_TRANSDUCER, 50},
        {1, 153.0f, 50, ANY_TRANSDUCER, 50},
        {1, -1.0f, 50, ANY_TRANSDUCER, 2},
        {1, 10.0f, 50, 11, 10},
        {1, 200.0f, 50, 11, 55},
        {1, 100.0f, 50, 17, 30},
        {1, 80.0f, 50, 15, 26},
        {1, 400.0f, 50, 18, 30},
        // 455 kHz down beam and down imaging.
        {2, 46.5f, 50, 15, 40},
        {2, 20.0f, 50, 15, 18},
        {2, 31.0f, 50, 17, 25},
        {2, 47.0f, 50, 18, 40},
        {3, 10.0f, 50, 15, 12},
        {3, 17.0f, 50, 15, 18},
        {3, 3.0f, 50, 15, 5},
        {3, 5.0f, 50, 2, 40},
        {2, 5.0f, 50, 3, 40},
        {2, 20.0f, 50, 5, 7},
        {3, 20.0f, 50, 9, 7},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "beam " << (int)c.beam << " at " << c.depth << " m, " << c.lowKhz
                                        << " kHz, transducer " << c.transducer);
        H_DATABASE_bUpdateValueU32(FCID("CSFL"), c.lowKhz, P_NORMAL);
        EXPECT_EQ(S_TXCYCLES_u8CalculateTxCycles(c.beam, c.depth, 0.0f, c.transducer), c.cycles);
    }
}

TEST(TransmitCycles, SideViewFrequencyChoiceOfTransducers10And16)
{
    H_DATABASE_vInit();
    for (U32 transducer : {10u, 16u}) {
        SCOPED_TRACE(transducer);
        H_DATABASE_vDeleteEntry(FCID("SSSF"));
        EXPECT_EQ(S_TXCYCLES_u8CalculateTxCycles(3, 10.0f, 0.0f, transducer), 7) << "no choice yet";
        H_DATABASE_bUpdateValueU32(FCID("SSSF"), FCID("SSF5"), P_NORMAL);
        EXPECT_EQ(S_TXCYCLES_u8CalculateTxCycles(3, 10.0f, 0.0f, transducer), 17);
        EXPECT_EQ(S_TXCYCLES_u8CalculateTxCycles(2, 10.0f, 0.0f, transducer), 17);
        H_DATABASE_bUpdateValueU32(FCID("SSSF"), FCID("SSF4"), P_NORMAL);
        EXPECT_EQ(S_TXCYCLES_u8CalculateTxCycles(3, 10.0f, 0.0f, transducer), 7);
    }
}

TEST(TransmitCyclesDeathTest, ABeamThatDoesNotExistIsFatal)
{
    unitRoot();
    for (BEAM beam : {4, 255}) {
        SCOPED_TRACE((int)beam);
        EXPECT_EXIT(S_TXCYCLES_u8CalculateTxCycles(beam, 10.0f, 0.0f, ANY_TRANSDUCER), ::testing::ExitedWithCode(10),
                    "");
        EXPECT_NE(fatalLog().find("Invalid beam"), std::string::npos);
    }
}

} // namespace
} // namespace sonar_test
