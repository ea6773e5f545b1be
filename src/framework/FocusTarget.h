#pragma once
// Where a failed check sends the user: a page (brought to the front of its sheet), optionally a
// page of a sheet nested inside it, and the control to focus, looked for on the nested page
// first and then on the page itself.

class CPropertyPage;
class CPropertySheet;

namespace kestrel {

struct FocusTarget {
    CPropertyPage* page = nullptr;
    CPropertySheet* nestedSheet = nullptr;
    CPropertyPage* nestedPage = nullptr;
    int controlId = 0;

    bool IsSet() const { return page != nullptr || controlId != 0; }
};

// Activates the page(s) of the target and gives its control the focus.
void BringForward(const FocusTarget& target);

} // namespace kestrel
