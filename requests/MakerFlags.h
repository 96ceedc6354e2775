#pragma once
// The request maker's flag bits and its callers' request flags, apart from
// the maker, for the rules that read them.

// Maker flag bits the program uses (the library may use others).
enum : unsigned int {
    kRpmAskPassword = 0x8,                                     // the dialog asks for a container password
    kRpmStartupPassword = 0x10,                                // the new password replaces the start-up password
    kRpmChangeCaption = 0x80,                                  // the password group is titled "Смена пароля"
    kRpmSignKeys = 0x100,                                      // generate signature keys
    kRpmKAKeys = 0x200,                                        // generate key-agreement keys
    kRpmStartCert = 0x400,                                     // make a start certificate
    kRpmKAParams = kRpmSignKeys | kRpmKAKeys | kRpmStartCert,  // all three: key-agreement parameters go in
    kRpmModeBoxes = 0x800,        // the dialog shows the mode boxes and the algorithm choice
    kRpmStartCertFixed = 0x1000,  // the start-certificate box is disabled
    kRpmStartCertOff = 0x2000,    // the start-certificate box starts unchecked
    kRpmDestination = 0x80000,    // the dialog shows the destination group
};

// Caller flag bits of prepareRequest.
enum : unsigned int {
    kPrqSanEmail = 0x02,     // the owner's e-mail address into the subject alternative name
    kPrqAskPassword = 0x08,  // ask for a container password
    kPrqStartupPassword = 0x10,
    kPrqNoDialog = 0x20,  // no dialog, unless kPrqStartupPassword is also set
    kPrqChangeCaption = 0x80,
    kPrqCopied = 0x800FF,  // copied into the maker flags
};
