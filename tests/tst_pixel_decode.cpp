// Screen pixels of any true-colour depth decoded to 0x00BBGGRR.
#include "sampling/PixelDecode.h"

#include <QTest>

Q_DECLARE_METATYPE(PixelMasks)

class PixelDecodeTest : public QObject {
    Q_OBJECT
  private slots:
    void decode_data() {
        QTest::addColumn<PixelMasks>("masks");
        QTest::addColumn<quint32>("pixel");
        QTest::addColumn<quint32>("colour");
        const PixelMasks rgb24{0xFF0000, 0x00FF00, 0x0000FF};
        const PixelMasks bgr24{0x0000FF, 0x00FF00, 0xFF0000};
        const PixelMasks rgb565{0xF800, 0x07E0, 0x001F};
        const PixelMasks rgb555{0x7C00, 0x03E0, 0x001F};
        const PixelMasks rgb30{0x3FF00000, 0x000FFC00, 0x000003FF};

        QTest::newRow("24 asymmetric") << rgb24 << 0x1E69D2u << 0x00D2691Eu;
        QTest::newRow("24 padding byte ignored") << rgb24 << 0xAB1E69D2u << 0x00D2691Eu;
        QTest::newRow("24 white") << rgb24 << 0xFFFFFFu << 0x00FFFFFFu;
        QTest::newRow("24 black") << rgb24 << 0u << 0u;
        QTest::newRow("24 bgr order") << bgr24 << 0xD2691Eu << 0x00D2691Eu;
        QTest::newRow("16 red full") << rgb565 << 0xF800u << 0x000000FFu;
        QTest::newRow("16 green full") << rgb565 << 0x07E0u << 0x0000FF00u;
        QTest::newRow("16 blue full") << rgb565 << 0x001Fu << 0x00FF0000u;
        QTest::newRow("16 white") << rgb565 << 0xFFFFu << 0x00FFFFFFu;
        // r 16/31, g 32/63, b 16/31, each rounded to the nearest of 0..255
        QTest::newRow("16 middle") << rgb565 << 0x8410u << 0x00848284u;
        // #1E69D2 as a 16-bit server stores it: r 3, g 26, b 26
        QTest::newRow("16 asymmetric") << rgb565 << ((3u << 11) | (26u << 5) | 26u) << 0x00D66919u;
        QTest::newRow("15 white") << rgb555 << 0x7FFFu << 0x00FFFFFFu;
        // #1E69D2 at ten bits a channel: 120, 422, 843
        QTest::newRow("30 asymmetric")
            << rgb30 << ((120u << 20) | (422u << 10) | 843u) << 0x00D2691Eu;
        QTest::newRow("30 white") << rgb30 << 0x3FFFFFFFu << 0x00FFFFFFu;
    }

    void decode() {
        QFETCH(PixelMasks, masks);
        QFETCH(quint32, pixel);
        QFETCH(quint32, colour);
        QCOMPARE(static_cast<quint32>(DecodePixel(pixel, masks)), colour);
    }

    void everyFiveBitLevelRoundTripsThroughEightBits() {
        // Decoding then keeping the top five bits must give the level back, or colours drift.
        for (quint32 level = 0; level < 32; ++level) {
            const int eight = ScaleChannel(level, 0x1F);
            QCOMPARE(static_cast<quint32>(eight) >> 3, level);
        }
    }

    void emptyMaskGivesZero() { QCOMPARE(ScaleChannel(0xFFFFFFFF, 0), 0); }
};

QTEST_GUILESS_MAIN(PixelDecodeTest)
#include "tst_pixel_decode.moc"
