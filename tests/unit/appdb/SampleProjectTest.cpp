// The sample project that ships with the editor must agree with the lookup data it ships with:
// every code resolves to the description written beside it, and the reference starts with the
// coordinator's prefixed professional number.
#include "sdk/AppDB.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <string>

namespace {

const char* const kSample = KESTREL_TEST_DATA_DIR "/../../resources/samples/sample-project.xml";

QString text(pugi::xml_node node, const char* child) {
    return QString::fromUtf8(node.child(child).text().get());
}

class SampleProject : public ::testing::Test {
protected:
    void SetUp() override {
        const pugi::xml_parse_result parsed = doc.load_file(kSample, pugi::parse_full);
        ASSERT_TRUE(parsed) << kSample << ": " << parsed.description();
        project = doc.child("krroot").child("project");
        profile = project.child("profile");
        ASSERT_TRUE(profile);
        ASSERT_TRUE(db.IsOpen());
    }
    pugi::xml_document doc;
    pugi::xml_node project, profile;
    CAppDB db;
};

TEST_F(SampleProject, CarriesTheHeaderOfAProjectFile) {
    std::string instructions;
    for (pugi::xml_node node : doc.children()) {
        if (node.type() == pugi::node_declaration || node.type() == pugi::node_pi)
            instructions += std::string(node.name()) + ";";
    }
    EXPECT_EQ(instructions, "xml;xml-stylesheet;filetype;");
    EXPECT_STREQ(doc.child("krroot").child("authority").child_value("id"), "ZQAV");
    std::string order;
    for (pugi::xml_node node : project.children())
        order += std::string(node.name()) + ";";
    EXPECT_EQ(order, "profile;member_group;reference_no;project_type_code;");
    EXPECT_EQ(text(project, "project_type_code"), QStringLiteral("0"));
}

TEST_F(SampleProject, ProfileCodesResolveToTheirDescriptions) {
    EXPECT_EQ(db.GetCategoryDescription(text(profile, "category_code")),
              text(profile, "category_code_desc"));
    EXPECT_EQ(db.GetClassificationDescription(text(profile, "classification_code")),
              text(profile, "classification_code_desc"));
    EXPECT_EQ(db.GetLandOwnershipDescription(text(profile, "land_ownership_code")),
              text(profile, "land_ownership_code_desc"));
    int lots = 0;
    for (pugi::xml_node lot : profile.child("lotmkts_group").children("lotmkts")) {
        EXPECT_EQ(db.GetMukimTSDescription(text(lot, "mk_ts_code")), text(lot, "mk_ts_code_desc"));
        ++lots;
    }
    EXPECT_EQ(lots, 2);
    int addresses = 0;
    for (pugi::xml_node address : profile.child("address_group").children("address")) {
        EXPECT_EQ(db.GetRoadDescription(text(address, "road_code")),
                  text(address, "road_code_desc"));
        ++addresses;
    }
    EXPECT_EQ(addresses, 1);
    int roads = 0;
    for (pugi::xml_node road : profile.child("road_group").children("road")) {
        EXPECT_FALSE(db.GetRoadDescription(QString::fromUtf8(road.text().get())).isEmpty());
        ++roads;
    }
    EXPECT_EQ(roads, 2);
}

TEST_F(SampleProject, MembersUseKnownRolesCountriesAndRoads) {
    const QStringList countries = db.CountryDescriptions();
    int members = 0, coordinators = 0;
    QString coordinatorPrefixed;
    for (pugi::xml_node member : project.child("member_group").children("member")) {
        ++members;
        EXPECT_TRUE(countries.contains(text(member, "country")));
        if (!text(member, "road_code").isEmpty()) {
            EXPECT_EQ(db.GetRoadDescription(text(member, "road_code")),
                      text(member, "road_code_desc"));
        }
        const bool coordinator = text(member, "project_coordinator_flag") == QStringLiteral("Y");
        coordinators += coordinator ? 1 : 0;
        for (pugi::xml_node role : member.child("member_role_group").children("member_role")) {
            const QString code = text(role, "member_role_code");
            EXPECT_EQ(db.GetRoleDescription(code), text(role, "member_role_code_desc"));
            const QString coord = db.GetProjectCoordinatorCode(code);
            if (coordinator && !coord.isEmpty() && coordinatorPrefixed.isEmpty())
                coordinatorPrefixed =
                    db.GetProjectPrefixDescription(coord) + text(role, "professional_no");
        }
    }
    EXPECT_EQ(members, 2);
    EXPECT_EQ(coordinators, 1);
    EXPECT_TRUE(text(project, "reference_no").startsWith(coordinatorPrefixed + QStringLiteral("-")))
        << coordinatorPrefixed.toStdString();
}

} // namespace
