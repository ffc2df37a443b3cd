// Qt's own texts (standard buttons, file dialogs, text-field menus) in
// Russian, so they match the window's texts whatever the system locale.
#pragma once

class QTranslator;

// Installs Qt's Russian translations when the system has them; returns the
// installed translator, or nullptr when no translation file could be loaded
// (the texts then stay as Qt has them).
QTranslator* InstallRussianQtTranslations();
