#pragma once

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "common/ui/text.h"

namespace ctiq {

// Controls at fixed places, as the windows' stored layouts put them.
inline QLineEdit* placeEdit(QWidget* parent, int x, int y, int width, const char* text) {
    auto* e = new QLineEdit(QString::fromUtf8(text), parent);
    e->setGeometry(x, y, width, 22);
    return e;
}

inline QPushButton* placeButton(QWidget* parent, int x, int y, int width, const char* caption,
                                int height = 24) {
    auto* b = new QPushButton(translatedCaption(caption), parent);
    b->setGeometry(x, y, width, height);
    return b;
}

inline QLabel* placeLabel(QWidget* parent, int x, int y, int width, const char* caption) {
    auto* l = new QLabel(translatedCaption(caption), parent);
    l->setGeometry(x, y, width, 20);
    return l;
}

inline QCheckBox* placeCheck(QWidget* parent, int x, int y, int width, const char* caption) {
    auto* c = new QCheckBox(translatedCaption(caption), parent);
    c->setGeometry(x, y, width, 20);
    return c;
}

}  // namespace ctiq
