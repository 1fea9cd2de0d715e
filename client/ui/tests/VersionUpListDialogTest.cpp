#include "UiTestSupport.h"

#include "client/ui/PictureButton.h"
#include "client/ui/VersionUpListDialog.h"

#include <QTabWidget>
#include <QTreeWidget>

#include <gtest/gtest.h>

TEST(VersionUpListDialog, ShowsTheRowsUnderItsTab)
{
    kiro::uitest::app();
    VersionUpListDialog dialog({{"新曲追加 第2弾", "DB 0037", "未処理", 0}, {"新曲追加 第1弾", "DB 0036", "更新済み", 1}});
    EXPECT_EQ(dialog.objectName(), "533");
    auto* tabs = dialog.findChild<QTabWidget*>();
    ASSERT_NE(tabs, nullptr);
    EXPECT_EQ(tabs->tabText(0), "バージョンアップリスト");
    QTreeWidget* list = dialog.list();
    ASSERT_EQ(list->topLevelItemCount(), 2);
    EXPECT_EQ(list->headerItem()->text(2), "状態");
    EXPECT_EQ(list->topLevelItem(0)->text(0), "新曲追加 第2弾");
    EXPECT_EQ(list->topLevelItem(0)->text(1), "DB 0037");
    EXPECT_EQ(list->topLevelItem(1)->text(2), "更新済み");
    // The two states show different images.
    EXPECT_NE(list->topLevelItem(0)->icon(0).pixmap(16).toImage(), list->topLevelItem(1)->icon(0).pixmap(16).toImage());

    dialog.show();
    auto* back = dialog.findChild<PictureButton*>("2");
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->text(), "もどる");
    back->click();
    EXPECT_FALSE(dialog.isVisible());
}
