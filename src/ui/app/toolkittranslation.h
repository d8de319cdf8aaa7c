// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef QUANTAURA_TOOLKITTRANSLATION_H
#define QUANTAURA_TOOLKITTRANSLATION_H

class QCoreApplication;

// The program speaks German: this loads the toolkit's German catalogue for its own dialogs and
// buttons (file dialogs, standard buttons) from the Qt translations folder, found at run time.
// Returns false, and changes nothing, when the catalogue is not installed.
bool installToolkitTranslation(QCoreApplication &app);

#endif
