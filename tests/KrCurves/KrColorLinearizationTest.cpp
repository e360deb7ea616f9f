#include "KrMath/KrColorLinearization.h"

#include "../KrCore/KrExpectError.h"
#include "KrColor/KrColorSpace.h"
#include "KrCurveTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace
{
const int32_t kRGB = KrSignature("RGB ");
const int32_t kCMYK = KrSignature("CMYK");
const int32_t kGray = KrSignature("GRAY");
const int32_t kLab = KrSignature("Lab ");

// An 'RGB ' linearization with the same gamma on every curve, as a gamma calibration builds it.
class KrColorLinearizationGammaTest : public ::testing::Test
{
protected:
    void SetGamma(double gamma)
    {
        for (int32_t i = 0; i < linearization.GetChannelCount(); ++i)
            linearization.GetCurve(i).SetCurveGamma(gamma);
    }

    // TransformInto with one vector as input and output.
    KrVector TransformInPlace(KrVector v) const
    {
        linearization.TransformInto(v, v);
        return v;
    }

    KrColorLinearization linearization{kRGB};
};

TEST(KrColorLinearizationTest, ANewLinearizationIsTheIdentityOfItsSpace)
{
    KrColorLinearization rgb(kRGB);
    EXPECT_EQ(rgb.GetChannelCount(), 3);
    EXPECT_TRUE(rgb.IsIdentity());
    EXPECT_EQ(rgb.GetInputSpace(), kRGB);
    EXPECT_EQ(rgb.GetOutputSpace(kLab), kRGB);
    EXPECT_EQ(rgb.GetInputDimension(), 3);
    EXPECT_EQ(rgb.GetOutputDimension(7), 3);
    EXPECT_STREQ(rgb.ClassName(), "KrTrafo");
    EXPECT_EQ(rgb.Cast("KrTrafo"), &rgb);
    EXPECT_EQ(rgb.RefCount(), 1);
    EXPECT_STREQ(rgb.GetAttribute(1).Text(), "1");

    const struct
    {
        int32_t signature;
        int32_t curves;
    } spaces[] = {{kCMYK, 4}, {kGray, 1}, {KrSignature("dens"), 36}, {KrSignature("what"), 3}, {0, 3}};
    for (const auto& s : spaces)
        EXPECT_EQ(KrColorLinearization(s.signature).GetChannelCount(), s.curves) << s.signature;
}

TEST(KrColorLinearizationTest, TheDefaultAttributeComesFirstAndResetRestoresIt)
{
    KrColorLinearization rgb(kRGB);
    rgb.SetAttribute(7, "seven");
    EXPECT_STREQ(rgb.GetAttribute(1).Text(), "1");
    EXPECT_STREQ(rgb.GetAttribute(7).Text(), "seven");

    rgb.SetAttribute(1, "changed");
    rgb.GetCurve(0).SetCurveGamma(2.2);
    rgb.GetCurve(2).SetCurveGamma(-4);
    rgb.Reset();
    EXPECT_STREQ(rgb.GetAttribute(1).Text(), "1");
    EXPECT_STREQ(rgb.GetAttribute(7).Text(), "seven");
    EXPECT_TRUE(rgb.IsIdentity());
    EXPECT_EQ(rgb.GetChannelCount(), 3);
}

TEST_F(KrColorLinearizationGammaTest, GammaCurvesActOnNormalisedChannels)
{
    SetGamma(2.2);
    EXPECT_FALSE(linearization.IsIdentity());
    const KrVector out = TransformInPlace(MakeVector({255, 128, 0}, kRGB));
    EXPECT_EQ(out.GetType(), kRGB);
    ASSERT_EQ(out.GetSize(), 3);
    EXPECT_DOUBLE_EQ(out.Get(0), 255);
    EXPECT_DOUBLE_EQ(out.Get(1), 255 * std::pow(128 / 255.0, 2.2));
    EXPECT_DOUBLE_EQ(out.Get(2), 0);

    // Transform is Forward, and Inverse takes it back.
    const KrVector forward = linearization.Forward(MakeVector({30, 128, 200}, kRGB));
    EXPECT_EQ(Elements(linearization.Transform(MakeVector({30, 128, 200}, kRGB))), Elements(forward));
    const KrVector back = linearization.Inverse(forward);
    EXPECT_EQ(back.GetType(), kRGB);
    for (int32_t i = 0; i < 3; ++i)
        EXPECT_NEAR(back.Get(i), Values({30, 128, 200})[size_t(i)], 1e-9);
}

TEST_F(KrColorLinearizationGammaTest, LstarKeepsBlackAndWhite)
{
    SetGamma(0);
    EXPECT_EQ(Elements(TransformInPlace(MakeVector({255, 255, 255}, kRGB))), Values({255, 255, 255}));
    EXPECT_EQ(Elements(TransformInPlace(MakeVector({0, 0, 0}, kRGB))), Values({0, 0, 0}));
}

TEST_F(KrColorLinearizationGammaTest, RawInputMeetsTheCurvesAsItIs)
{
    SetGamma(2.2);
    const double half = std::pow(0.5, 2.2);
    const KrVector raw = TransformInPlace(MakeVector({0.5, 0.5, 0.5}));
    EXPECT_EQ(raw.GetType(), 0);
    EXPECT_EQ(Elements(raw), Values({half, half, half}));
    // Elements beyond the last curve stay; so does an unknown type.
    const KrVector longer = TransformInPlace(MakeVector({0.5, 0.5, 0.5, 0.5}, KrSignature("what")));
    EXPECT_EQ(longer.GetType(), KrSignature("what"));
    EXPECT_EQ(Elements(longer), Values({half, half, half, 0.5}));
    // A normalised colour is its own range and keeps its type.
    const KrVector normalised = TransformInPlace(MakeVector({0.5, 0.5, 0.5}, KrSignature("nrm3")));
    EXPECT_EQ(normalised.GetType(), KrSignature("nrm3"));
    EXPECT_EQ(Elements(normalised), Values({half, half, half}));
}

TEST_F(KrColorLinearizationGammaTest, WrongSizesRaiseAndLeaveTheOutputAsItWas)
{
    SetGamma(2.2);
    KrVector sixteen(16, kRGB);
    const struct
    {
        KrVector in;
        KrErrorKind error;
    } cases[] = {
        {MakeVector({255, 128}, kRGB), KrErrIndexError},
        {MakeVector({0.5, 0.5}), KrErrIndexError},
        {KrVector(0, kRGB), KrErrDimMismatch},
        {sixteen, KrErrDimMismatch},
    };
    for (const auto& c : cases)
    {
        KrVector out = MakeVector({1, 2, 3});
        EXPECT_RAISES(linearization.TransformInto(c.in, out), c.error);
        EXPECT_EQ(Elements(out), Values({1, 2, 3}));
    }
    linearization.GetCurve(1).SetCurveGamma(-1);
    EXPECT_RAISES(linearization.Forward(MakeVector({1, 2, 3}, kRGB)), KrErrArgErr);
}

TEST(KrColorLinearizationTest, ChannelCountsFollowTheSpace)
{
    KrColorLinearization cmyk(kCMYK);
    EXPECT_EQ(cmyk.GetChannelCount(), 4);
    cmyk.GetCurve(0).SetCurveGamma(2);
    cmyk.GetCurve(1).SetCurveGamma(3);
    cmyk.SetColorSpace(kGray);
    EXPECT_EQ(cmyk.GetChannelCount(), 1);
    EXPECT_EQ(cmyk.GetInputSpace(), kGray);
    EXPECT_EQ(Elements(cmyk.GetCurve(0).GetSamples()), Values({2}));

    cmyk.SetChannelCount(3);
    EXPECT_EQ(Elements(cmyk.GetCurve(0).GetSamples()), Values({2}));
    EXPECT_TRUE(cmyk.GetCurve(1).IsIdentity());
    EXPECT_TRUE(cmyk.GetCurve(2).IsIdentity());
    EXPECT_EQ(cmyk.GetInputSpace(), kGray); // the count alone leaves the space

    for (int32_t index : {-1, 3, 100})
        EXPECT_RAISES(cmyk.GetCurve(index), KrErrIndexError);
    const KrColorLinearization& constant = cmyk;
    EXPECT_RAISES(constant.GetCurve(3), KrErrIndexError);

    cmyk.SetChannelCount(0);
    EXPECT_TRUE(cmyk.IsIdentity());
    EXPECT_EQ(Elements(cmyk.Forward(MakeVector({7, 8}))), Values({7, 8}));
}

TEST(KrColorLinearizationTest, InvertAndComposeWorkCurveByCurve)
{
    KrColorLinearization squares(kRGB);
    KrColorLinearization roots(kRGB);
    for (int32_t i = 0; i < 3; ++i)
    {
        squares.GetCurve(i).SetCurveGamma(2);
        roots.GetCurve(i).SetCurveGamma(0.5);
    }
    KrColorLinearization composed(kRGB);
    composed.GetCurve(0).SetCurveGamma(2);
    composed.GetCurve(1).SetCurveGamma(2);
    composed.GetCurve(2).SetCurveGamma(2);
    composed.Compose(roots);
    EXPECT_TRUE(composed.IsIdentity());
    EXPECT_EQ(composed.GetCurve(2).GetSamples().GetSize(), 256);

    squares.Invert();
    for (int32_t i = 0; i < 3; ++i)
        EXPECT_EQ(Elements(squares.GetCurve(i).GetSamples()), Values({0.5}));

    // An outer linearization with fewer curves: the first ones are composed, then KrIndexError.
    KrColorLinearization gray(kGray);
    gray.GetCurve(0).SetCurveGamma(0.5);
    KrColorLinearization partly(kRGB);
    partly.GetCurve(0).SetCurveGamma(2);
    partly.GetCurve(1).SetCurveGamma(2);
    EXPECT_RAISES(partly.Compose(gray), KrErrIndexError);
    EXPECT_TRUE(partly.GetCurve(0).IsIdentity());
    EXPECT_TRUE(partly.GetCurve(1).IsGamma());

    // Composed with itself, each curve is applied twice.
    KrColorLinearization twice(kGray);
    twice.GetCurve(0).SetCurveGamma(2);
    twice.Compose(twice);
    EXPECT_NEAR(twice.GetCurve(0).Forward(0.5), 0.0625, 1e-4);
}

TEST(KrColorLinearizationTest, TextRoundTrips)
{
    KrColorLinearization rgb(kRGB);
    rgb.GetCurve(0).SetCurveGamma(1.8);
    rgb.GetCurve(1).SetCurveGamma(2.2);
    rgb.GetCurve(2).SetCurveGamma(2.4);
    const KrString text = rgb.ToText();
    EXPECT_STREQ(text.Text(), "3 1.800000 2.200000 2.400000 ");

    KrColorLinearization read(kGray);
    read.FromText(text);
    ASSERT_EQ(read.GetChannelCount(), 3);
    const double gammas[] = {1.8, 2.2, 2.4};
    for (int32_t i = 0; i < 3; ++i)
    {
        ASSERT_TRUE(read.GetCurve(i).IsGamma());
        EXPECT_EQ(read.GetCurve(i).GetSamples().Get(0), double(float(gammas[i])));
    }

    // Tables of equal length, written with a format.
    KrColorLinearization tables(kGray);
    tables.SetChannelCount(2);
    tables.GetCurve(0).SetSamples(MakeVector({0, 0.25, 1}));
    tables.GetCurve(1).SetSamples(MakeVector({0, 0.75, 1}));
    read.FromText(tables.ToText("%.4f "));
    ASSERT_EQ(read.GetChannelCount(), 2);
    EXPECT_EQ(Elements(read.GetCurve(0).GetSamples()), Values({0, 0.25, 1}));
    EXPECT_EQ(Elements(read.GetCurve(1).GetSamples()), Values({0, 0.75, 1}));

    read.FromText("");
    EXPECT_EQ(read.GetChannelCount(), 0);
    EXPECT_STREQ(read.ToText().Text(), "0 ");
}

TEST(KrColorLinearizationTest, FromTextOfBadTextRaisesOrGivesCurves)
{
    const struct
    {
        std::string text;
        int32_t curves; // 0: KrArgErr
    } cases[] = {
        {"0", 0},
        {"0 1.0", 0},
        {"/ 1.0", 0},
        {" 3", 0},
        {std::string("\x80 1", 3), 0},
        {"1", 1},
        {"3", 3},
        {"9 1", 9},
        {"z", 74},
        {"2 ab cd", 2},
        {std::string("2 \0\0 1", 6), 2},
    };
    for (const auto& c : cases)
    {
        KrColorLinearization linearization(kRGB);
        linearization.GetCurve(0).SetCurveGamma(2);
        const KrString text(c.text.data(), int32_t(c.text.size()), true);
        if (c.curves == 0)
        {
            EXPECT_RAISES(linearization.FromText(text), KrErrArgErr);
            EXPECT_EQ(linearization.GetChannelCount(), 3) << c.text;
            EXPECT_TRUE(linearization.GetCurve(0).IsGamma());
        }
        else
        {
            linearization.FromText(text);
            EXPECT_EQ(linearization.GetChannelCount(), c.curves) << c.text;
        }
    }

    // Segments are cut by length: "2 0.5 0.25" gives "0.5 " and "0.25" to the two curves.
    KrColorLinearization cut(kRGB);
    cut.FromText("2 0.5 0.25");
    EXPECT_EQ(Elements(cut.GetCurve(0).GetSamples()), Values({0.5}));
    EXPECT_EQ(Elements(cut.GetCurve(1).GetSamples()), Values({0.25}));
}

TEST(KrColorLinearizationTest, ToTextRefusesMoreCurvesThanOneCharacterCounts)
{
    KrColorLinearization many(kRGB);
    many.SetChannelCount(79);
    KrColorLinearization read(kRGB);
    read.FromText(many.ToText());
    EXPECT_EQ(read.GetChannelCount(), 79);

    many.SetChannelCount(80);
    EXPECT_RAISES(many.ToText(), KrErrArgErr);
    many.SetChannelCount(260); // would write '4'
    EXPECT_RAISES(many.ToText(), KrErrArgErr);
}
}
