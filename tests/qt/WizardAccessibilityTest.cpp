// The wizard as a screen reader meets it: the accessible tree of each page,
// its roles and names.

#include "WizardFixture.h"

#include <QAccessible>
#include <QAccessibleValueInterface>

namespace {

using WizardAccessibility = WizardWindow;

QAccessibleInterface* Accessible(int theItemId)
{
    QWidget* widget = WidgetOf(*gGlobalWin->FindEntry(theItemId));
    if (theItemId == kItemFolderList)
        widget = widget->findChild<QTreeWidget*>();
    return QAccessible::queryAccessibleInterface(widget);
}

// Every control a person can reach on the page with no name, and every name
// that a node says again right after its parent said it.
void CollectUnnamed(
    QAccessibleInterface* pNode, std::vector<std::string>& theUnnamed, std::vector<std::string>& theSaidTwice)
{
    const QString parentName = pNode->text(QAccessible::Name);
    for (int i = 0; i < pNode->childCount(); ++i) {
        QAccessibleInterface* child = pNode->child(i);
        if (!child || child->state().invisible)
            continue;
        const QAccessible::Role role = child->role();
        const bool bControl = role == QAccessible::PushButton || role == QAccessible::ProgressBar
            || role == QAccessible::Tree || role == QAccessible::List || role == QAccessible::EditableText;
        const QString name = child->text(QAccessible::Name);
        if (bControl && name.isEmpty())
            theUnnamed.push_back(std::to_string(role));
        if (!name.isEmpty() && name == parentName)
            theSaidTwice.push_back(name.toStdString());
        CollectUnnamed(child, theUnnamed, theSaidTwice);
    }
}

} // namespace

TEST_F(WizardAccessibility, EachControlIsNamedByItsRoleOnThePage)
{
    Install("Patchwell 5");
    CGlobalWin& window = Open();
    window.DoCommand(kCommandSplashDone, 0, 0);
    QAccessibleInterface* root = QAccessible::queryAccessibleInterface(Window());
    struct Named {
        int itsItem;
        QAccessible::Role itsRole;
        const char* itsName;
    };
    const Named named[] = {
        { kItemReadme, QAccessible::EditableText, "About this update" },
        { kItemFolderList, QAccessible::Tree, "Copies of Patchwell" },
        { kItemProgressBar, QAccessible::ProgressBar, "Installation progress" },
        { kItemNext, QAccessible::PushButton, "Next >" },
    };
    for (const Named& item : named) {
        SCOPED_TRACE(item.itsName);
        QAccessibleInterface* node = Accessible(item.itsItem);
        ASSERT_NE(node, nullptr);
        EXPECT_EQ(node->role(), item.itsRole);
        EXPECT_EQ(node->text(QAccessible::Name).toStdString(), item.itsName);
    }
    auto* tree = Window()->findChild<QTreeWidget*>();
    EXPECT_EQ(tree->headerItem()->text(0).toStdString(), "Copies of Patchwell") << "not a column numbered 1";
    QAccessibleValueInterface* value = Accessible(kItemProgressBar)->valueInterface();
    ASSERT_NE(value, nullptr) << "the bar tells how far it is";

    for (int page :
        { kPageWelcome, kPageFolder, kPageConfirm, kPageProgress, kPageDone, kPageFailed, kPageKit }) {
        window.SelectTabPage(page);
        std::vector<std::string> unnamed, saidTwice;
        CollectUnnamed(root, unnamed, saidTwice);
        EXPECT_TRUE(unnamed.empty()) << "page " << page << ": unnamed controls of roles " << unnamed.front();
        EXPECT_TRUE(saidTwice.empty())
            << "page " << page << ": \"" << saidTwice.front() << "\" is said twice";
    }
}
