#pragma once

#include <QLineEdit>

// A line edit whose limit counts code page 932 bytes, as the settings file
// stores the text: typing or pasting past the limit keeps only what fits,
// cut between characters, and characters the file could not hold are dropped.
class Cp932LineEdit : public QLineEdit {
    Q_OBJECT
public:
    Cp932LineEdit(const QString& objectName, int byteLimit, QWidget* parent = nullptr);

    int byteLimit() const { return m_limit; }
    std::string utf8() const { return text().toStdString(); }

private:
    void enforceLimit();

    int m_limit;
    bool m_fitting = false;
};
