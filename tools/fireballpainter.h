#pragma once

#include <QImage>
#include <QList>
#include <QRgb>

#include <vector>

// The explosion of the result window: a billowing ball of fire described as a
// heat field (0 cold, 1 white hot), which a cycle of frames lets cool to embers
// and then flash back to a full fireball.
class FireballPainter {
public:
    static constexpr int kFrameCount = 17;

    // Heat for every pixel of a width x height frame, row by row. The ball sits
    // centred across, in the upper two thirds; scale is its radius in pixels.
    std::vector<double> heatMap(int frame, int width, int height, double centreY, double scale,
                                bool withSparks = true) const;

    // Palette of count colours: index 0 transparent black, then a ramp through
    // dark reds, oranges and yellows to near-white.
    static QList<QRgb> palette(int count);

    // Maps heat to palette indices with a light ordered dither; heat too faint
    // to see on black becomes the transparent index 0.
    static std::vector<unsigned char> toIndices(const std::vector<double> &heat, int width,
                                                int colours);

    // A square icon of the full fireball, alpha from coverage.
    QImage icon(int size) const;

private:
    struct Phase {
        double size;
        double brightness;
        double breakup;
        double time;
    };

    static Phase phaseOf(int frame);
    double heat(double u, double v, const Phase &phase) const;
    double sparks(double u, double v, const Phase &phase) const;
};
