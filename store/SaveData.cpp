#include "store/SaveData.h"

SaveData* SaveData::create() {
    auto* data = new SaveData();
    data->init();
    data->autorelease();
    return data;
}

SaveData::~SaveData() = default;

bool SaveData::init() {
    identifier = 0;
    title.clear();
    path.clear();
    imagepath.clear();
    modify.clear();
    return true;
}
