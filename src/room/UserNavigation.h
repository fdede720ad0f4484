#pragma once

#include <QLabel>

class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

// The header of one role's group in the user list: a fold arrow and the
// group's title with its member count. Clicking anywhere on it folds or
// unfolds the group.
class UserNavigation : public QLabel
{
    Q_OBJECT

public:
    explicit UserNavigation(QWidget* parent = nullptr);

    bool IsFolded() const { return m_folded; }
    QString GetTitle() const;
    void SetTree(QTreeWidget* tree) { m_tree = tree; }
    QTreeWidgetItem* GetTreeItem() const { return m_treeItem; }
    void SetTreeItem(QTreeWidgetItem* item) { m_treeItem = item; }
    void Layout();

    // The group's title for a role: "教学(", "学员(", "旁听(", "体验者(",
    // the count and ")"; empty for any other role.
    static QString TitleFor(int role, int num);

public slots:
    void OnNumChanged(int role, int num);
    void OnClicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    void UpdateArrowCSS();

    bool m_folded = false;
    QPushButton* m_arrow = nullptr;
    QLabel* m_title = nullptr;
    QTreeWidget* m_tree = nullptr;
    QTreeWidgetItem* m_treeItem = nullptr;
};
