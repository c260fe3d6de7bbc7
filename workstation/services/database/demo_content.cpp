#include "kadrix/workstation/demo_content.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <string>
#include <vector>

namespace kadrix::workstation {
namespace {

struct DemoInstrument {
    int32_t id;
    const char* code;
    const char* name;
    std::initializer_list<const char*> captions;
};

const DemoInstrument Instruments[] = {
    {1, "WJ01", "胃镜室", {"食管", "贲门", "胃底", "胃体", "胃角", "胃窦", "幽门", "十二指肠球部"}},
    {2, "CJ01", "肠镜室", {"回盲部", "升结肠", "横结肠", "降结肠", "乙状结肠", "直肠"}},
    {3, "BC01", "B超室", {"肝", "胆囊", "脾", "左肾", "右肾", "膀胱"}},
    {4, "CT01", "CT室", {"头颅", "胸部", "腹部", "盆腔"}},
    {5, "MR01", "磁共振室", {"头颅", "颈椎", "腰椎", "膝关节"}},
    {6, "DR01", "DR室", {"胸部正位", "胸部侧位", "腰椎正位", "腰椎侧位"}},
};

struct DemoPatient {
    const char* name;
    const char* spell;
    int sex;  // 1 male, 2 female
    int age;
    const char* ageUnit;
    const char* modality;
    int32_t instrument;
    bool assigned;  // to the workstation's user, else to nobody
};

const DemoPatient Patients[] = {
    {"张伟", "zhangwei", 1, 45, "岁", "CT", 4, true},
    {"王芳", "wangfang", 2, 32, "岁", "MR", 5, true},
    {"李娜", "lina", 2, 28, "岁", "US", 3, true},
    {"刘洋", "liuyang", 1, 6, "月", "US", 3, false},
    {"陈静", "chenjing", 2, 51, "岁", "ES", 1, true},
    {"杨磊", "yanglei", 1, 67, "岁", "DR", 6, true},
    {"赵敏", "zhaomin", 2, 12, "天", "US", 3, true},
    {"黄勇", "huangyong", 1, 39, "岁", "CT", 4, false},
    {"周婷", "zhouting", 2, 24, "岁", "MR", 5, true},
    {"吴强", "wuqiang", 1, 58, "岁", "ES", 2, true},
    {"徐丽", "xuli", 2, 3, "月", "DR", 6, true},
    {"孙浩", "sunhao", 1, 8, "岁", "DR", 6, false},
};

// A birthday that fits the age on `day`.
double birthdayFor(const DemoPatient& p, double day) {
    const std::string unit = p.ageUnit;
    if (unit == "天")
        return day - p.age;
    if (unit == "月")
        return day - std::round(p.age * 30.44);
    return day - std::round(p.age * 365.25) - 40;
}

Result<int32_t> highestApplyNo(ClinicDatabase& db) {
    auto rows = db.openSql("Select max(ApplyNo) as MaxApplyNo from RIS_List");
    if (!rows)
        return rows.status();
    if (rows->rows.empty() || rows->rows[0][0].isNull())
        return 0;
    return rows->rows[0][0].toInt();
}

Status fill(ClinicDatabase& db, std::string_view sysCode, std::string_view userId, double today) {
    auto existing = db.instruments();
    if (!existing)
        return existing.status();
    for (const DemoInstrument& inst : Instruments) {
        const bool present = std::any_of(existing->begin(), existing->end(),
                                         [&](const Instrument& i) { return i.instId == inst.id; });
        if (present)
            continue;
        if (Status s = db.addInstrument({inst.id, inst.code, inst.name}); !s)
            return s;
        for (const char* caption : inst.captions)
            if (Status s = db.addCaption(inst.id, caption); !s)
                return s;
    }

    struct DemoUser {
        std::string_view id;
        const char* name;
        std::initializer_list<std::string_view> rights;
    };
    const DemoUser users[] = {
        {userId, "管理员", {"DelImages", "DelAllImages", "ExpImages", "ExpAllImages", "SetImages"}},
        {DemoDoctorId, "医生", {"DelImages", "ExpImages", "ExpAllImages"}},
        {DemoGuestId, "访客", {}},
    };
    for (const DemoUser& u : users) {
        if (Status s = db.addUser(u.id, u.name); !s)
            return s;
        for (std::string_view right : ImageRightNames) {
            const bool granted =
                std::find(u.rights.begin(), u.rights.end(), right) != u.rights.end();
            if (Status s = db.grantRight(sysCode, ImageRightsModule, u.id, right, granted ? 1 : 0);
                !s)
                return s;
        }
    }

    const double day = std::floor(today);
    auto registered = db.registrations(sysCode, day, day);
    if (!registered)
        return registered.status();
    if (!registered->empty())
        return {};
    auto highest = highestApplyNo(db);
    if (!highest)
        return highest.status();
    const int32_t firstApplyNo = std::max<int32_t>(*highest, 1000) + 1;
    int index = 0;
    for (const DemoPatient& p : Patients) {
        PatientRegistration r;
        r.applyNo = firstApplyNo + index;
        r.reportId = p.instrument;
        r.techNo = p.modality + std::to_string(20000 + r.applyNo);
        r.hospNo = "ZY" + std::to_string(300000 + r.applyNo);
        r.patName = p.name;
        r.patNameSpell = p.spell;
        r.modality = p.modality;
        r.age = p.age;
        r.ageUnit = p.ageUnit;
        r.sex = p.sex;
        r.birthday = birthdayFor(p, day);
        // From eight in the morning, one every twenty minutes.
        r.registered = day + (8.0 * 60 + 20.0 * index) / (24 * 60);
        r.sysCode = std::string(sysCode);
        r.userId = p.assigned ? std::string(userId) : std::string();
        if (Status s = db.registerPatient(r); !s)
            return s;
        ++index;
    }
    return {};
}

}  // namespace

Status seedDemoContent(ClinicDatabase& database, std::string_view sysCode, std::string_view userId,
                       double today) {
    if (userId.empty())
        return Status::failure("the demo content needs the workstation's user id");
    if (Status s = database.beginTransaction(); !s)
        return s;
    Status filled = fill(database, sysCode, userId, today);
    if (!filled) {
        database.rollbackTransaction();
        return filled;
    }
    // A commit that fails (a reader held the file too long) leaves the transaction open.
    if (Status committed = database.commitTransaction(); !committed) {
        database.rollbackTransaction();
        return committed;
    }
    return {};
}

}  // namespace kadrix::workstation
