#pragma once
// Which signer signs a package and how it is called: the built-in way (osslsigncode with a
// PKCS #12 file or a certificate and key, Authenticode with SHA-256) or any other signer given as a
// command template. Plain decisions on the options; running the signer is package/Signing's job.

#include <string>
#include <vector>

struct SignerOptions {
    std::string pkcs12;         // --pkcs12 FILE
    std::string certificate;    // --cert FILE
    std::string key;            // --key FILE
    std::string passFile;       // --pass-file FILE: the password of the PKCS #12 file or the key
    std::string passEnv;        // --pass-env NAME: the same from an environment variable
    std::string timestamp;      // --timestamp URL: an RFC 3161 timestamp server
    std::string description;    // --description TEXT: the program name shown by Windows' prompts
    std::string url;            // --url URL: the publisher's web address in the signature
    std::string command;        // --signer 'COMMAND ... {in} ... {out}'
};

// The options that go together; an error names the conflict or what is missing.
bool CheckSignerOptions(const SignerOptions& options, std::string& error);

// The osslsigncode arguments that sign in into out. passwordSource is where osslsigncode reads the
// password from ("-": its standard input; empty: no password).
std::vector<std::string> OsslsigncodeArguments(const SignerOptions& options, const std::string& in,
                                               const std::string& out, const std::string& passwordSource);

// The signer template with {in} and {out} replaced by the quoted paths. A template without {out}
// is a signer that signs {in} in place.
std::string SignerTemplateCommand(const std::string& command, const std::string& in, const std::string& out);
bool SignerSignsInPlace(const std::string& command);
