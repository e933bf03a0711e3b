#include "sign/SignerCommand.h"

#include "io/Process.h"

bool CheckSignerOptions(const SignerOptions& options, std::string& error) {
    const bool keyPair = !options.certificate.empty() || !options.key.empty();
    if (!options.command.empty()) {
        if (!options.pkcs12.empty() || keyPair || !options.passFile.empty() || !options.passEnv.empty() ||
            !options.timestamp.empty() || !options.description.empty() || !options.url.empty()) {
            error = "--signer replaces the built-in signer: put the certificate, password and timestamp into the "
                    "signer's command instead of --pkcs12, --cert, --key, --pass-file, --pass-env, --timestamp, "
                    "--description or --url";
            return false;
        }
        if (options.command.find("{in}") == std::string::npos) {
            error = "--signer needs {in} in its command: the file to sign ({out}: where the signed file goes, for "
                    "signers that do not sign in place)";
            return false;
        }
        return true;
    }
    if (options.pkcs12.empty() && !keyPair) {
        error = "signing needs --pkcs12 FILE, or --cert FILE with --key FILE, or --signer COMMAND";
        return false;
    }
    if (!options.pkcs12.empty() && keyPair) {
        error = "--pkcs12 and --cert/--key exclude each other";
        return false;
    }
    if (keyPair && (options.certificate.empty() || options.key.empty())) {
        error = "--cert and --key go together";
        return false;
    }
    if (!options.passFile.empty() && !options.passEnv.empty()) {
        error = "--pass-file and --pass-env exclude each other";
        return false;
    }
    return true;
}

std::vector<std::string> OsslsigncodeArguments(const SignerOptions& options, const std::string& in,
                                               const std::string& out, const std::string& passwordSource) {
    std::vector<std::string> arguments = {"osslsigncode", "sign"};
    if (!options.pkcs12.empty()) {
        arguments.insert(arguments.end(), {"-pkcs12", options.pkcs12});
    } else {
        arguments.insert(arguments.end(), {"-certs", options.certificate, "-key", options.key});
    }
    if (!passwordSource.empty()) arguments.insert(arguments.end(), {"-readpass", passwordSource});
    arguments.insert(arguments.end(), {"-h", "sha256"});
    if (!options.description.empty()) arguments.insert(arguments.end(), {"-n", options.description});
    if (!options.url.empty()) arguments.insert(arguments.end(), {"-i", options.url});
    if (!options.timestamp.empty()) arguments.insert(arguments.end(), {"-ts", options.timestamp});
    arguments.insert(arguments.end(), {"-in", in, "-out", out});
    return arguments;
}

std::string SignerTemplateCommand(const std::string& command, const std::string& in, const std::string& out) {
    // One pass, so a path that happens to hold "{out}" is not replaced again.
    std::string result;
    for (size_t at = 0; at < command.size();) {
        if (command.compare(at, 4, "{in}") == 0) {
            result += ShellQuote(in);
            at += 4;
        } else if (command.compare(at, 5, "{out}") == 0) {
            result += ShellQuote(out);
            at += 5;
        } else {
            result += command[at++];
        }
    }
    return result;
}

bool SignerSignsInPlace(const std::string& command) {
    return command.find("{out}") == std::string::npos;
}
