#pragma once
// CRecordPage: the common frame of every record page (lots, addresses, members). Such a page is
// a form of fields in a group frame, the row of Reset, Delete, Update and Save as New below it,
// and the list of stored records under them; it runs the record-list editing pattern through a
// CRecordListEditor, keeps the stored records as its record table (exchanged with the list by
// UpdateData) and marks its tab in the nested sheet while it is the active page.
//
// A record page derives from it and states only what is its own:
// - in its constructor, its form: it builds the frame with its fields and hands it to BuildPage
//   with the fields in their tab order;
// - in InitRecordFields, the set-up of its fields once the page is first shown (limits, allowed
//   characters, validators, the combos' items);
// - the CRecordListBinding answers for its form and rows, and its WriteXml/ReadXml;
// - a RecordPageLayout: the list's control id, its columns and the page's tab index.

#include "controls/CharFilterEdit.h"
#include "controls/RecordTable.h"
#include "controls/ToolTipPropertyPage.h"
#include "document/XmlRecordGroup.h"
#include "pages/RecordListEditor.h"

#include <initializer_list>
#include <span>

class CHoverButton;
class CRecordListCtrl;
class QGridLayout;

// One column of a record list: its heading and its width in pixels.
struct RecordColumn {
    const char* heading;
    int width;
};

// What tells one record page's frame from another's.
struct RecordPageLayout {
    int listId;                            // the record list's control id
    std::span<const RecordColumn> columns; // the list's columns; also the record table's
};

class CRecordPage : public CToolTipPropertyPage,
                    public CXmlRecordGroup,
                    protected CRecordListBinding {
    Q_OBJECT
public:
    // The buttons' control ids, the same on every record page.
    static constexpr int IDC_RESET = 1010;
    static constexpr int IDC_DELETE = 1011;
    static constexpr int IDC_UPDATE = 1012;
    static constexpr int IDC_SAVE_AS_NEW = 1067;

    ~CRecordPage() override;

    // The stored records (refreshed from the list by UpdateData(true)); empty = none.
    const RecordTable& GetRecordTable() const { return m_table; }

    CRecordListEditor& Editor() { return m_editor; }

protected:
    // `title` is the tab's title and the list's accessible name. The columns `layout` names
    // must outlive the page (a page passes its own constant table).
    CRecordPage(int templateId, const QString& title, const RecordPageLayout& layout,
                CToolTipHost* host, QWidget* parent);

    // Lays the page out: the form frame, the row of buttons, the list. `fields` are the form's
    // controls in their tab order; the buttons and the list follow them. `rowExtras` are the
    // page's own controls for the button row (the member page's contacts control): they stand
    // after "Save as New", in the tab order too.
    void BuildPage(QWidget* form, std::initializer_list<QWidget*> fields,
                   std::initializer_list<QWidget*> rowExtras = {});

    // The page's own set-up of its fields, run by OnInitDialog after the list and the buttons
    // are set up and before the form is first emptied.
    virtual void InitRecordFields() = 0;

    // The common set-up of a text field: at most `maxChars` of the `allowed` characters, in
    // upper case, checked by `validator` (the plain one when none is given).
    void SetUpField(CCharFilterEdit* edit, int maxChars, const char* allowed,
                    CFieldValidator* validator = nullptr);

    // Puts a label with `text` for `buddy` into the form's grid.
    static void AddFieldLabel(QGridLayout* grid, const QString& text, QWidget* buddy, int row,
                              int column);

    // As the pages' own reset operations (ResetLotForm, ...): see CRecordListEditor::ResetForm.
    bool ResetRecordForm(bool detect, bool clear) { return m_editor.ResetForm(detect, clear); }

    CRecordListCtrl* List() const { return m_list; }
    int ListId() const { return m_layout.listId; }

    bool OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;

    RecordTable m_table;

private:
    RecordPageLayout m_layout;
    CRecordListCtrl* m_list = nullptr;
    CHoverButton* m_btnUpdate = nullptr;
    CHoverButton* m_btnDelete = nullptr;
    CHoverButton* m_btnReset = nullptr;
    CHoverButton* m_btnSaveAsNew = nullptr;
    CFieldValidator m_validator;
    bool m_bInitialized = false;
    CRecordListEditor m_editor;
};
