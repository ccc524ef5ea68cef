#ifndef VARNELLDICTTEXT_H
#define VARNELLDICTTEXT_H

#include <QCoreApplication>

// The translation context of every message varnell-dict prints, those of the libraries behind its
// commands (the check, the entry changes) included: one .ts file, in varnell-dict/translations/,
// holds them all, and the program installs its translator before any of them runs.
class VarnellDict
{
    Q_DECLARE_TR_FUNCTIONS(VarnellDict)
};

#endif // VARNELLDICTTEXT_H
