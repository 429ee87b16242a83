// SPDX-License-Identifier: MIT
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

    // Where the ball sits in a picture: centred across, centreY down, scale
    // pixels to its radius.
    struct Framing {
        int width;
        int height;
        double centreY;
        double scale;

        Framing times(int factor) const
        {
            return {width * factor, height * factor, centreY * factor, scale * factor};
        }
    };

    // The result window's animation: the ball in the upper two thirds.
    static constexpr Framing kResultFrame{200, 282, 108.0, 90.0};

    // Heat for every pixel of the framed picture, row by row.
    std::vector<double> heatMap(int frame, const Framing &framing, bool withSparks = true) const;

    // Palette of count colours: index 0 transparent black, then a ramp through
    // dark reds, oranges and yellows to near-white.
    static QList<QRgb> palette(int count);

    // Maps heat to palette indices with a light ordered dither; heat too faint
    // to see on black becomes the transparent index 0.
    static std::vector<unsigned char> toIndices(const std::vector<double> &heat, int width,
                                                int colours);

    // A square icon of the full fireball, alpha from coverage.
    QImage icon(int size) const;

    // The frame at factor times the resolution in full colour, for denser
    // screens: see-through wherever the frame itself is, and wherever its own
    // finer heat is too faint to show.
    QImage sharpFrame(int frame, const Framing &framing, int factor) const;

private:
    struct Phase {
        double size;
        double brightness;
        double breakup;
        double time;
    };

    struct Spark {
        double dx;
        double dy;
        double reach;
        double length;
        double width;
        double brightness;
    };

    static Phase phaseOf(int frame);
    double heat(double u, double v, const Phase &phase) const;
    // The same sparks in every frame, flying out as the ball grows.
    static std::vector<Spark> sparksOf(const Phase &phase);
    double sparks(double u, double v, const Phase &phase, const std::vector<Spark> &streaks) const;
};
