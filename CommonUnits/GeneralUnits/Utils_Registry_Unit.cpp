#include "CommonUnits/GeneralUnits/Utils_Registry_Unit.h"

#include "platform/framework/Dialogs.h"

void WriteRegistryString(HKEY root, const String& name, const String& text)
{
    TRegistry reg;
    reg.SetRootKey(root);
    reg.OpenKey(REGISTRY_PRODUCT_KEY, true);
    reg.WriteString(name, text); // raises when the key could not be made
    reg.CloseKey();
}

bool RegistryValueExists(HKEY root, const String& name)
{
    TRegistry reg(KEY_READ);
    reg.SetRootKey(root);
    if (!reg.OpenKeyReadOnly(REGISTRY_PRODUCT_KEY))
        return false;
    const bool exists = reg.ValueExists(name);
    reg.CloseKey();
    return exists;
}

String ReadRegistryString(HKEY root, const String& name)
{
    TRegistry reg(KEY_READ);
    reg.SetRootKey(root);
    if (!reg.OpenKeyReadOnly(REGISTRY_PRODUCT_KEY))
        MessageDlg(REGISTRY_PRODUCT_KEY + " key not there", mtError, {mbOK}, 0);
    if (!reg.ValueExists(name))
        MessageDlg("Key " + name + " not there", mtError, {mbOK}, 0);
    const String value = reg.ReadString(name);
    reg.CloseKey();
    return value;
}
