// SPDX-License-Identifier: MIT
#pragma once

#include <QLabel>

// The console's title. It wraps and clips like the other headings, but sets
// its lines one font size apart, as the cells of the terminal face it was
// laid out in: the face standing in for that one sets them further apart
// (28 pixels at 24), and the second line's letters would then reach below
// the 49-pixel label at every scale.
class TitleLabel : public QLabel {
    Q_OBJECT

public:
    explicit TitleLabel(QWidget *parent);

protected:
    void paintEvent(QPaintEvent *event) override;
};
