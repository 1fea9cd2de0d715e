#pragma once

#include <QWidget>

class QLabel;

// Template 592: the modeless notice shown while the database is compacted,
// with a status line (1015).
class CompactionProgress : public QWidget {
    Q_OBJECT
public:
    explicit CompactionProgress(QWidget* parent = nullptr);

    void setStatus(const QString& text);
    QString status() const;

private:
    QLabel* m_status;
};
