// "Цвет 1" and "Цвет 2": the body and trim colours the game view paints a
// vehicle's marker materials in, chosen in the colour dialog and remembered
// between runs.
#pragma once

#include <QWidget>

#include "formats/dff/VehicleLook.h"

class Prompts;
class QPushButton;

class TPaintButtons : public QWidget {
    Q_OBJECT
public:
    TPaintButtons(QWidget* parent, Prompts& prompts);

    const korvane::TVehiclePaint& Paint() const { return paint_; }
    // Asks for colour 1 (the body, `which` 0) or 2 (the trim, 1); true when
    // the user chose one.
    bool ChooseColour(int which);
    QPushButton* Button(int which) const { return buttons_[which]; }

private:
    void ShowColours();

    QPushButton* buttons_[2] = {};
    korvane::TVehiclePaint paint_;
    Prompts& prompts_;
};
