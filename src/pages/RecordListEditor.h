#pragma once
// The record-list editing pattern of the record pages: a form of fields above a list of stored
// records, with Reset, Delete, Update and Save as New, and a click on a row to load it.
//
// CRecordListEditor runs the pattern once for every page: the Update button's two captions
// ("Update", and the transient "Modify" that makes Update load the clicked row), the question
// before edits are thrown away, the record checks with one "Input Error" box, the duplicate
// check, and which row the form shows (the list's m_nCurrentItem). It knows nothing of the
// record itself: the page describes its form through a CRecordListBinding.
//
// A page uses it so: it derives (privately) from CRecordListBinding and answers for its form;
// it owns a CRecordListEditor built with itself as form and binding; its OnInitDialog calls
// Attach with the list and the four buttons once they are set up, then ResetForm(false, true);
// its own reset operation (ResetLotForm, ResetAddressForm, ...) is ResetForm. A record spread
// over nested pages brings the right page forward in BringForward; rows that carry data of their
// own (a member's roles) make it in NewRowItemData and free it in RowDeleted.

#include "controls/DuplicateIndex.h"
#include "controls/RecordTable.h"

#include <QString>

class CHoverButton;
class CRecordListCtrl;
class QWidget;

// What a store-mode check found: the collected texts, each followed by "\n", and the control of
// the first failure, which gets the focus before the message is shown.
struct RecordCheckResult {
    QString message;
    QWidget* focus = nullptr;

    // Appends text + "\n"; the first failure chooses the control.
    void Add(const QString& text, QWidget* control);
    bool IsEmpty() const { return message.isEmpty(); }
};

// How a page's form and list rows meet. Rows are list rows (0-based).
class CRecordListBinding {
public:
    virtual ~CRecordListBinding() = default;

    // The form holds anything at all (it edits a new record).
    virtual bool IsFormEditedForNew() = 0;
    // The form differs from the row it was loaded from (values compared case-sensitively).
    virtual bool FormDiffersFromRow(int row) = 0;
    // Empties every field of the form.
    virtual void ClearForm() = 0;
    // Puts the row's values into the form.
    virtual void LoadRowIntoForm(int row) = 0;
    // The record's own checks, in the page's order (mandatory fields, formats).
    virtual void CheckForm(RecordCheckResult& result) = 0;
    // The form's key cells: a record whose key equals another row's is a duplicate.
    virtual RecordKey DuplicateKeyOfForm() = 0;
    // The control that gets the focus when the record is a duplicate.
    virtual QWidget* DuplicateFocus() = 0;
    // The text after "Record number: <n>\n" of a duplicate; default string 154 and "\n".
    virtual QString DuplicateText();
    // Moves the form's values into the row, emptying each field as it goes.
    virtual void MoveFormIntoRow(int row) = 0;

    // Hooks with nothing to do on a simple page.
    // Brings the control forward (its nested page too, where there is one) and focuses it.
    virtual void BringForward(QWidget* control);
    // The item data of a row appended for a new record.
    virtual RecordItemData NewRowItemData() { return 0; }
    // The form was stored into the row; runs before the form is cleared.
    virtual void RecordStored(int row) { Q_UNUSED(row); }
    // "Save as New" was clicked; runs before the form is stored as a new row.
    virtual void BeforeSaveAsNew() {}
    // The row was deleted from the list; `data` was its item data.
    virtual void RowDeleted(int row, RecordItemData data) {
        Q_UNUSED(row);
        Q_UNUSED(data);
    }
};

class CRecordListEditor {
public:
    static inline const QString kUpdateCaption = QStringLiteral("Update");
    static inline const QString kModifyCaption = QStringLiteral("Modify");

    // `form` is the page: the parent of the message boxes.
    CRecordListEditor(QWidget* form, CRecordListBinding& binding);
    CRecordListEditor(const CRecordListEditor&) = delete;
    CRecordListEditor& operator=(const CRecordListEditor&) = delete;

    // Takes over the list and the four buttons (the page's OnInitDialog, once the controls are
    // set up): the clicks and the list's row activation run the handlers below. Until then the
    // form counts as never shown, and ResetForm answers true at once.
    void Attach(CRecordListCtrl* list, CHoverButton* update, CHoverButton* deleteButton,
                CHoverButton* reset, CHoverButton* saveAsNew);
    bool IsAttached() const { return m_pList != nullptr; }

    // detect: find out whether the form holds unsaved edits; clear: empty the form for a new
    // record, asking first when it was edited. With clear false: true when not edited. With
    // clear true: false when the user kept the edits, else true.
    bool ResetForm(bool detect, bool clear);

    // The handlers, public so a page (or its tests) can run them as the clicks do.
    void OnReset();
    void OnDelete();
    void OnUpdateRecord();
    void OnItemActivateList();
    void OnSaveAsNew();

    // The row the form shows; -1 = a new record.
    int CurrentItem() const;

    // Sets the Update button's caption and turns it blue; leaves the button alone when
    // `evenViewOnly` is false in a view-only run.
    void SetUpdateCaption(const QString& caption, bool evenViewOnly = false);

    CRecordListCtrl* List() const { return m_pList; }
    CHoverButton* UpdateButton() const { return m_pUpdate; }

private:
    void setCurrentItem(int row);
    void selectRow(int row);
    void enableUpdate(bool enable);
    // Checks the form and stores it into its row (a new one when none is loaded), or shows what
    // is wrong.
    void storeForm();

    QWidget* m_pForm;
    CRecordListBinding& m_binding;
    CRecordListCtrl* m_pList = nullptr;
    CHoverButton* m_pUpdate = nullptr;
    CHoverButton* m_pDelete = nullptr;
    CHoverButton* m_pReset = nullptr;
    CHoverButton* m_pSaveAsNew = nullptr;
    DuplicateIndex m_duplicates;
};
