// SPDX-License-Identifier: MIT
#pragma once

#include <QIcon>
#include <QIconEngine>
#include <QList>
#include <QSize>
#include <QStringList>

// An icon whose files are decoded the first time one of its pictures is
// asked for, so that a desktop that never asks costs nothing. The sizes the
// files hold are given up front, so a desktop chooses among them without
// decoding any; a window's tests hold them to the files. Decoded, it is the
// icon Qt makes from the same files.
class LazyIcon : public QIconEngine {
public:
    static QIcon make(const QStringList &files, const QList<QSize> &sizes);

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override;
    QSize actualSize(const QSize &size, QIcon::Mode mode, QIcon::State state) override;
    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override;
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override;
    bool isNull() override;
    QIconEngine *clone() const override;

private:
    LazyIcon(QStringList files, QList<QSize> sizes);
    LazyIcon(const LazyIcon &other) = default;

    const QIcon &decoded();

    QStringList m_files;
    QList<QSize> m_sizes;
    QIcon m_decoded;
};
