#pragma once

#include <QIcon>
#include <QList>
#include <QString>

#include <string>
#include <vector>

class QTreeView;
class QTreeWidget;
class QWidget;

// Pieces the song book's lists share: the row icons of a course, column
// widths by weight and a plain list view set up the same way everywhere.
namespace songbook {

// The row icons: "Icons16.bmp" (16 pixels wide, by downloaded flag) for most
// courses, "Icons32.bmp" (32 wide, with the set marks) for course 50, cut
// from the system folder's bitmap. Empty icons when the file is missing.
QList<QIcon> rowIcons(const QString& systemFolder, int course);
QSize rowIconSize(int course);

// A list view with one row per item, whole-row selection and the headers.
QTreeWidget* makeList(const std::vector<std::string>& headers, QWidget* parent);
// The same set-up for a view over a model of its own.
void setUpList(QTreeView* list);
// Divides the list's client width among its columns by the weights.
void applyWeights(QTreeView* list, const std::vector<int>& weights);

inline QString qs(const std::string& s) { return QString::fromStdString(s); }

} // namespace songbook
