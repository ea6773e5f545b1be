// The sample project that ships with the editor must agree with the lookup data it ships with:
// every code resolves to the description written beside it, and the reference starts with the
// coordinator's prefixed professional number.
#include "sdk/AppDB.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>

namespace {

const char* const kSample = KESTREL_TEST_DATA_DIR "/../../resources/samples/sample-project.xml";

QString text(pugi::xml_node node, const char* child) {
    return QString::fromUtf8(node.child(child).text().get());
}

TEST(SampleProject, CodesAgreeWithTheLookupDataAndTheReferenceWithTheCoordinator) {
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_file(kSample)) << kSample;
    CAppDB db;
    ASSERT_TRUE(db.IsOpen());
    const pugi::xml_node project = doc.child("krroot").child("project");
    const pugi::xml_node profile = project.child("profile");
    using Lookup = QString (CAppDB::*)(const QString&);
    // Each element holding a code, beside its "_desc" twin, and the list that resolves it.
    const std::pair<const char*, Lookup> codes[] = {
        {"/krroot/project/profile/category_code", &CAppDB::GetCategoryDescription},
        {"/krroot/project/profile/classification_code", &CAppDB::GetClassificationDescription},
        {"/krroot/project/profile/land_ownership_code", &CAppDB::GetLandOwnershipDescription},
        {"//lotmkts/mk_ts_code", &CAppDB::GetMukimTSDescription},
        {"//road_code", &CAppDB::GetRoadDescription},
        {"//member_role/member_role_code", &CAppDB::GetRoleDescription},
    };
    for (const auto& [xpath, lookup] : codes) {
        const pugi::xpath_node_set nodes = doc.select_nodes(xpath);
        EXPECT_FALSE(nodes.empty()) << xpath;
        for (const pugi::xpath_node& code : nodes) {
            const pugi::xml_node parent = code.node().parent();
            const std::string desc = std::string(code.node().name()) + "_desc";
            EXPECT_EQ((db.*lookup)(text(parent, code.node().name())), text(parent, desc.c_str()))
                << xpath;
        }
    }
    for (pugi::xml_node road : profile.child("road_group").children("road"))
        EXPECT_FALSE(db.GetRoadDescription(QString::fromUtf8(road.text().get())).isEmpty());

    QString prefixed;
    for (pugi::xml_node member : project.child("member_group").children("member")) {
        EXPECT_TRUE(db.CountryDescriptions().contains(text(member, "country")));
        if (text(member, "project_coordinator_flag") != QStringLiteral("Y"))
            continue;
        for (pugi::xml_node role : member.child("member_role_group").children("member_role")) {
            const QString coord = db.GetProjectCoordinatorCode(text(role, "member_role_code"));
            if (!coord.isEmpty() && prefixed.isEmpty())
                prefixed = db.GetProjectPrefixDescription(coord) + text(role, "professional_no");
        }
    }
    ASSERT_FALSE(prefixed.isEmpty()) << "no project coordinator";
    EXPECT_TRUE(text(project, "reference_no").startsWith(prefixed + QStringLiteral("-")))
        << prefixed.toStdString();
}

} // namespace
