#pragma once
// Fonts by face name. Faces named by the language package (or the Windows
// names of old settings) are asked for as a family list that ends in a CJK
// family, so Chinese channel names and titles always have glyphs, in their
// Simplified Chinese forms.
#include <QFont>
#include <QString>

QFont FaceFont(const QString& face, int pixelHeight = 0, int weight = QFont::Normal);
// The program-wide user-interface font for a language (0 Chinese, 1 English).
QFont UiFont(int language);
