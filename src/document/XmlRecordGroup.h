#pragma once

// The interface through which the project document and the pages exchange their parts of the
// XML record: each implementer writes and reads its own subtree under the node it is given.

#include <QString>

#include <pugixml.hpp>

class CXmlRecordGroup {
public:
    virtual ~CXmlRecordGroup() = default;
    // Writes this object's part under `node`. The returned message is not used by any caller;
    // implementations return "".
    virtual QString WriteXml(pugi::xml_document& doc, pugi::xml_node node) = 0;
    // Reads this object's part from under `node`; returns "" likewise.
    virtual QString ReadXml(pugi::xml_document& doc, pugi::xml_node node) = 0;
};
