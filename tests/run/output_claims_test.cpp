// The run's claims on output names: a name is written by one input only.
#include <gtest/gtest.h>

#include "run/OutputClaims.hpp"

namespace trovex {
namespace {

std::optional<std::string> OwnerOfClash(TOutputClaims& claims, const std::string& input, const OutputPlan& plan) {
  const auto clash = claims.Claim(input, plan);
  return clash ? std::optional<std::string>(clash->owner) : std::nullopt;
}

TEST(OutputClaims, ASecondInputTakingAClaimedNameIsRefusedWholeAndClaimsNothing) {
  TOutputClaims claims;
  EXPECT_FALSE(claims.Claim("a/INTRO.MVE", {{"/out/INTRO.wav"}, {}}));
  const auto clash = claims.Claim("b/INTRO.MVE", {{"/out/OTHER.wav", "/out/INTRO.wav"}, {}});
  ASSERT_TRUE(clash);
  EXPECT_EQ(clash->path, "/out/INTRO.wav");
  EXPECT_EQ(clash->owner, "a/INTRO.MVE");
  // The refused plan left no claim behind.
  EXPECT_FALSE(claims.Claim("c/OTHER.MVE", {{"/out/OTHER.wav"}, {}}));
  // Nor does a plan naming one path twice claim anything.
  const auto twice = claims.Claim("d.bif", {{"/out/d1", "/out/d2", "/out/d1"}, {}});
  ASSERT_TRUE(twice);
  EXPECT_TRUE(twice->withinPlan);
  EXPECT_FALSE(clash->withinPlan);
  EXPECT_FALSE(claims.Claim("e.bif", {{"/out/d2"}, {}}));
  claims.Clear();
  EXPECT_FALSE(claims.Claim("b/INTRO.MVE", {{"/out/INTRO.wav"}, {}}));
}

// A BAM's frame bitmaps (A.bif entry 0x12: A_0012_XXXX.bmp) meet the item of
// another archive (A_0012.bif entry 0xA: A_0012_000A.bmp) in either order.
TEST(OutputClaims, ASeriesMeetsTheFilesItsNumbersGiveAndTheSameSeries) {
  const OutputSeries frames{"/out/Images/A_0012_", ".bmp"};
  EXPECT_EQ(frames.Name(10), "/out/Images/A_0012_000A.bmp");
  {
    TOutputClaims claims;
    EXPECT_FALSE(claims.Claim("A.bif", {{"/out/Images/A_0013.bmp"}, {frames}}));
    EXPECT_EQ(OwnerOfClash(claims, "A_0012.bif", {{"/out/Images/A_0012_000A.bmp"}, {}}), "A.bif");
    EXPECT_EQ(OwnerOfClash(claims, "X/A.bif", {{}, {frames}}), "A.bif");
    // Names beside the series are free: other digits' count, other suffix,
    // lower-case digits, a longer prefix.
    EXPECT_FALSE(claims.Claim("B.bif", {{"/out/Images/A_0012_00A.bmp", "/out/Images/A_0012_000A.wav",
                                         "/out/Images/A_0012_X000A.bmp", "/out/Images/A_0012.bmp"},
                                        {{"/out/Images/A_0012_0", ".bmp"}}}));
  }
  TOutputClaims claims;
  EXPECT_FALSE(claims.Claim("A_0012.bif", {{"/out/Images/A_0012_000A.bmp", "/out/Images/A_0012_0001.wav"}, {}}));
  EXPECT_EQ(OwnerOfClash(claims, "A.bif", {{}, {frames}}), "A_0012.bif");
  // Within one plan too.
  EXPECT_EQ(OwnerOfClash(claims, "C.bif", {{"/out/Images/C_0001_FFFF.bmp"}, {{"/out/Images/C_0001_", ".bmp"}}}),
            "C.bif");
}

TEST(OutputClaims, NamesCompareAsTheSystemComparesThem) {
  TOutputClaims claims;
  EXPECT_FALSE(claims.Claim("a/F.fon", {{"/out/F.bmp"}, {{"/out/Images/F_0001_", ".bmp"}}}));
#ifdef _WIN32
  EXPECT_TRUE(claims.Claim("b/f.fon", {{"/out/f.BMP"}, {}}));
  EXPECT_TRUE(claims.Claim("b/f.fon", {{"/OUT/images/f_0001_00ff.bmp"}, {}}));
  EXPECT_TRUE(claims.Claim("b/f.fon", {{"/out\\F.bmp"}, {}}));
#else
  EXPECT_FALSE(claims.Claim("b/f.fon", {{"/out/f.BMP", "/out/Images/F_0001_00ff.bmp"}, {}}));
#endif
}

}  // namespace
}  // namespace trovex
